#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace platform {

// Progress of a long task in units. A total below 0 means indeterminate.
// Every change must be made on the main thread, so that views observing
// the object need no locking; a change from another thread is reported to
// the thread-violation handler (by default a fatal error).
class Progress final : public QObject {
    Q_OBJECT
public:
    explicit Progress(qint64 totalUnitCount = -1, QObject* parent = nullptr);

    qint64 totalUnitCount() const { return m_total; }
    qint64 completedUnitCount() const { return m_completed; }
    QString localizedDescription() const { return m_description; }
    QString localizedAdditionalDescription() const { return m_additionalDescription; }
    bool isIndeterminate() const { return m_total < 0 || m_completed < 0; }
    // 0 while indeterminate or when there is nothing to do.
    double fractionCompleted() const;

    void setTotalUnitCount(qint64 total);
    void setCompletedUnitCount(qint64 completed);
    void setLocalizedDescription(const QString& description);
    void setLocalizedAdditionalDescription(const QString& description);

    using ThreadViolationHandler = std::function<void(const char* change)>;
    // Replaces the handler for changes made off the main thread; returns the old one.
    static ThreadViolationHandler setThreadViolationHandler(ThreadViolationHandler handler);

signals:
    void changed();

private:
    void checkThread(const char* change) const;

    qint64 m_total;
    qint64 m_completed = 0;
    QString m_description;
    QString m_additionalDescription;
};

} // namespace platform
