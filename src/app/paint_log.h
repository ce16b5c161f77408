// A hook for the end-to-end benchmark: with QUADREL_PAINT_LOG naming a file,
// every paint of a channel value (In1 to In8, painted by the layer beneath
// them) appends one line, the monotonic clock in nanoseconds, the control
// and the text it shows, so a benchmark can tell how long a byte took to
// reach the screen.
#pragma once

#include <QObject>

#include <cstdio>
#include <memory>
#include <vector>

class QLabel;
class QWidget;

namespace quadrel {

class PaintLog : public QObject {
public:
    // Nothing when the variable is not set or the file cannot be opened.
    static std::unique_ptr<PaintLog> fromEnvironment(QWidget& mainWindow);
    ~PaintLog() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit PaintLog(std::FILE* file) : file_(file) {}
    std::FILE* file_;
    std::vector<const QLabel*> values_;
};

}  // namespace quadrel
