#pragma once

#include <string>

#include "core/errors/error.h"

namespace tallymere::test {

/// The description of the tallymere::Error that `f` throws; empty when it throws none.
template<class F>
std::string errorOf(F &&f)
{
    try {
        f();
    } catch (const Error &error) {
        return error.description().toStdString();
    }
    return {};
}

} // namespace tallymere::test
