#pragma once

#include <vector>

#include <QStringList>

#include "core/platform/mainwindow.h"

namespace tallymere::test {

/// Stands in for the main window where the core is tested or measured alone: it keeps the
/// pointer shapes set, in order, and the total captions written last.
class WindowStandIn : public MainWindow
{
public:
    int MousePointer() const override { return m_pointers.empty() ? 0 : m_pointers.back(); }
    void setMousePointer(int shape) override { m_pointers.push_back(shape); }
    void setTotalCaptions(const QString &income, const QString &expenses, const QString &balance) override
    {
        m_captions = {income, expenses, balance};
    }

    const std::vector<int> &pointers() const noexcept { return m_pointers; }
    const QStringList &captions() const noexcept { return m_captions; }

private:
    std::vector<int> m_pointers;
    QStringList m_captions;
};

} // namespace tallymere::test
