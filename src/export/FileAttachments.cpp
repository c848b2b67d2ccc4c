#include "export/FileAttachments.h"

#include "platform/FileURL.h"
#include "platform/UniformTypes.h"

bool isFileAttachment(NotesAttachment& attachment)
{
    if (attachment.URL())
        return false;
    const QString extension = platform::pathutil::pathExtension(attachment.name());
    if (extension.isEmpty())
        return false;
    const QString type = platform::uti::preferredIdentifierForFilenameExtension(extension);
    return !platform::uti::typeConformsTo(type, platform::uti::kUTTypeImage);
}
