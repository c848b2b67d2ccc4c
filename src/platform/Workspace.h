#pragma once

#include "platform/Error.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <functional>
#include <optional>

namespace platform {

// Finds and starts applications. An application is the freedesktop desktop
// entry "<bundle id>.desktop" in $XDG_DATA_HOME/applications, then in each
// $XDG_DATA_DIRS/applications; its bundle information comes from the AppStream
// file "<bundle id>.metainfo.xml" in the metainfo/ folder of the same data
// directory.
class Workspace {
public:
    virtual ~Workspace() = default;
    static Workspace* sharedWorkspace();

    // File URL of the application's desktop entry; empty when none is installed.
    virtual QUrl urlForApplication(const QString& bundleIdentifier);

    // Bundle information of an application found by urlForApplication:
    // "CFBundleIdentifier", "CFBundleShortVersionString" (newest release), "CFBundleName".
    virtual QVariantMap bundleInfo(const QUrl& applicationURL);

    // Runs the entry's Exec line with the URLs filled in (no shell). The
    // completion runs on a thread of the workspace's choosing with an error
    // when the program could not be started.
    using OpenCompletion = std::function<void(const std::optional<Error>& error)>;
    virtual void openURLs(const QList<QUrl>& urls, const QUrl& applicationURL, bool activates,
                          OpenCompletion completion);
};

// The version of the newest <release> in an AppStream metainfo file: the
// latest by date, or the first listed when none has a date; empty when the
// file is missing, malformed or lists no release.
QString newestReleaseVersion(const QString& metainfoPath);

} // namespace platform
