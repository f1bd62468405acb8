#include "core/file_existence.h"

namespace zo {

bool IsExistingFile(FileSystemView& files, TextView path) {
    if (path.empty()) return false;
    const PathEntry entry = files.Entry(path);
    switch (entry.state) {
        case PathEntry::State::Missing:
            return false;
        case PathEntry::State::Refused:
            // Something is there and is held open: a paging file or a file another program
            // locked. Folders are not locked that way.
            return true;
        case PathEntry::State::Present:
            break;
    }
    if (!entry.link) return !entry.folder;
    // A link's own attributes say nothing about its target: a file link may lead to a folder,
    // or nowhere.
    switch (files.Target(path)) {
        case LinkTarget::File:
        case LinkTarget::Locked:
            return true;
        case LinkTarget::Folder:
        case LinkTarget::Missing:
        case LinkTarget::Refused:
            return false;
    }
    return false;
}

}  // namespace zo
