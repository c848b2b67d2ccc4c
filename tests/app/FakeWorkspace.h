#pragma once

#include "app/ImportFlow.h"
#include "platform/Workspace.h"

#include <QList>
#include <optional>
#include <thread>

namespace testsupport {

// A workspace with at most one application and scripted results.
class FakeWorkspace final : public platform::Workspace {
public:
    QUrl installed;
    QString version;
    std::optional<platform::Error> openResult;
    QList<QUrl> openedURLs;

    QUrl urlForApplication(const QString& bundleIdentifier) override
    {
        return bundleIdentifier == QLatin1String(app::kOstrelBundleIdentifier) ? installed : QUrl();
    }
    QVariantMap bundleInfo(const QUrl& applicationURL) override
    {
        if (applicationURL != installed || version.isNull())
            return {};
        return {{QStringLiteral("CFBundleShortVersionString"), version}};
    }
    void openURLs(const QList<QUrl>& urls, const QUrl&, bool, OpenCompletion completion) override
    {
        openedURLs += urls;
        // Like the real one, answers from another thread.
        std::thread([completion, result = openResult] { completion(result); }).detach();
    }
};

} // namespace testsupport
