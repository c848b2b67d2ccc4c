#pragma once

#include "platform/Progress.h"
#include "platform/ProgressRefresher.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

// Shows an export's progress as text: on a terminal, one bar line redrawn in
// place; elsewhere (a log, a pipe) one line per description, "[done/total]
// Exporting “name”…", so every note the export reached is on record. Neither
// prints per change: the bar is redrawn and the lines are written in one
// piece from a timer, at most about thirty times a second.
class ProgressPrinter {
public:
    using Writer = std::function<void(const QByteArray&)>;
    // `terminalWidth` gives the columns of the terminal; empty when the
    // output is not a terminal.
    ProgressPrinter(platform::Progress* progress, Writer write, std::function<int()> terminalWidth = {});
    // For the command: standard error, as a terminal when it is one.
    static std::unique_ptr<ProgressPrinter> onStandardError(platform::Progress* progress);

    // Shows whatever is not shown yet and ends the bar's line.
    void finish();

private:
    struct Line {
        qint64 done;
        qint64 total;
        QString description;
    };
    void changed();
    void refresh();
    QByteArray bar() const;

    platform::Progress* m_progress;
    Writer m_write;
    std::function<int()> m_terminalWidth;
    QString m_lastDescription;
    QList<Line> m_lines; // described but not yet written
    bool m_lineOpen = false;
    std::unique_ptr<platform::ProgressRefresher> m_refresher;
};
