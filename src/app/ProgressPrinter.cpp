#include "app/ProgressPrinter.h"

#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

ProgressPrinter::ProgressPrinter(platform::Progress* progress, Writer write, std::function<int()> terminalWidth)
    : m_progress(progress), m_write(std::move(write)), m_terminalWidth(std::move(terminalWidth))
{
    m_refresher = std::make_unique<platform::ProgressRefresher>(progress, [this] { refresh(); });
    // Lines are taken down as the descriptions come, so that none is lost
    // between two refreshes; that is a list append, the writing waits.
    if (!m_terminalWidth)
        QObject::connect(progress, &platform::Progress::changed, m_refresher.get(), [this] { changed(); });
}

std::unique_ptr<ProgressPrinter> ProgressPrinter::onStandardError(platform::Progress* progress)
{
    const auto write = [](const QByteArray& text) {
        fwrite(text.constData(), 1, size_t(text.size()), stderr);
        fflush(stderr);
    };
    std::function<int()> width;
    if (isatty(STDERR_FILENO) == 1) {
        width = [] {
            winsize size{};
            return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10 ? int(size.ws_col) : 80;
        };
    }
    return std::make_unique<ProgressPrinter>(progress, write, width);
}

void ProgressPrinter::changed()
{
    const QString description = m_progress->localizedDescription();
    if (description == m_lastDescription)
        return;
    m_lastDescription = description;
    m_lines.append({m_progress->completedUnitCount(), m_progress->totalUnitCount(), description});
}

void ProgressPrinter::refresh()
{
    if (m_terminalWidth) {
        m_write("\r\033[K" + bar());
        m_lineOpen = true;
        return;
    }
    if (m_lines.isEmpty())
        return;
    QByteArray text;
    for (const Line& line : std::as_const(m_lines)) {
        if (line.total >= 0)
            text += '[' + QByteArray::number(line.done) + '/' + QByteArray::number(line.total) + "] ";
        text += line.description.toLocal8Bit() + '\n';
    }
    m_lines.clear();
    m_write(text);
}

QByteArray ProgressPrinter::bar() const
{
    constexpr int barWidth = 24;
    const qint64 done = m_progress->completedUnitCount();
    const qint64 total = m_progress->totalUnitCount();
    QString line;
    if (m_progress->isIndeterminate()) {
        line = u'[' + QString(barWidth, u'.') + u']';
    } else {
        const int filled = total > 0 ? int(barWidth * m_progress->fractionCompleted()) : 0;
        line = QStringLiteral("[%1%2] %3/%4")
                   .arg(QString(filled, u'#'), QString(barWidth - filled, u' '))
                   .arg(done)
                   .arg(total);
    }
    line += u' ' + m_progress->localizedDescription();
    const int width = m_terminalWidth();
    if (line.size() > width - 1)
        line = line.left(width - 2) + u'…';
    return line.toLocal8Bit();
}

void ProgressPrinter::finish()
{
    // The last state is drawn even when no timer fired since it changed.
    if (m_terminalWidth && !m_lineOpen)
        refresh();
    else
        m_refresher->flush();
    if (m_lineOpen)
        m_write("\n");
    m_lineOpen = false;
}
