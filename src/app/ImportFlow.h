#pragma once

#include "platform/Error.h"
#include "platform/Workspace.h"

#include <QString>
#include <QUrl>
#include <optional>

// The steps of one import that the window and the command line share.
namespace app {

inline constexpr char kApplicationGroupIdentifier[] = "group.app.ostrel";
inline constexpr char kOstrelBundleIdentifier[] = "app.ostrel.Ostrel";
inline constexpr char kImportFolderName[] = "Notes Import";

// An alert's two texts, already localised.
struct AlertText {
    QString message;
    QString informative;
};

// (major, minor, patch) from a version string: each component's leading
// decimal number, 0 when it has none or is missing.
struct Version {
    int major = 0, minor = 0, patch = 0;
};
Version parseVersion(const QString& version);
bool isSupportedOstrelVersion(const QString& version); // 1.10.4 or later

// Empty when Ostrel is installed and recent enough; otherwise the alert to show.
std::optional<AlertText> ostrelVersionProblem(platform::Workspace& workspace);

// "Notes Import" in the shared container, removed if present and made afresh.
std::optional<QUrl> prepareImportFolder(platform::Error* error);

// ostrel://library?location=<manifest URL, encoded once more>&supportsHashtags=0
QUrl handoffURL(const QUrl& manifestURL);

// Opens Ostrel with the hand-off URL; `completion` runs on the main queue
// with the alert to show on failure, or empty on success.
void openOstrel(platform::Workspace& workspace, const QUrl& manifestURL,
                std::function<void(const std::optional<AlertText>& failure)> completion);

} // namespace app
