#pragma once

#include <QString>

namespace tallymere {

/// The main window as the core sees it: the fills and the export set its pointer, the totals
/// write its three total captions, and the export keeps its busy flag there. The main window
/// implements it; tests and benchmarks put a small stand-in in its place.
class MainWindow
{
public:
    virtual ~MainWindow() = default;

    /// The window's MousePointer (a PointerShape).
    virtual int MousePointer() const = 0;
    virtual void setMousePointer(int shape) = 0;
    /// Writes the captions of the three total labels.
    virtual void setTotalCaptions(const QString &income, const QString &expenses, const QString &balance) = 0;

    /// exportRunning: true while an export of either list runs; one flag serves both export
    /// commands, so neither starts while one runs.
    bool exportRunning() const noexcept { return m_exportRunning; }
    void setExportRunning(bool running) noexcept { m_exportRunning = running; }

private:
    bool m_exportRunning = false;
};

} // namespace tallymere
