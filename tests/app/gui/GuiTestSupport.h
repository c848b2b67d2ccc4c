#pragma once

#include "platform/Alert.h"

#include <QWidget>
#include <vector>

namespace testsupport {

// Records every alert instead of showing it, for as long as it lives.
class AlertRecorder {
public:
    struct Shown {
        platform::Alert alert;
        platform::AlertStyle style;
        QWidget* window;
    };

    AlertRecorder()
    {
        m_previous = platform::setAlertPresenter([this](const platform::Alert& alert, platform::AlertStyle style,
                                                        QWidget* window) {
            shown.push_back({alert, style, window});
            return 0;
        });
    }
    ~AlertRecorder() { platform::setAlertPresenter(m_previous); }
    AlertRecorder(const AlertRecorder&) = delete;
    AlertRecorder& operator=(const AlertRecorder&) = delete;

    std::vector<Shown> shown;

private:
    platform::AlertPresenter m_previous;
};

} // namespace testsupport
