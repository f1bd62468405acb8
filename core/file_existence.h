#pragma once
// The file existence test that start-up and ACT share: does a path name a file the shell can
// open? A symbolic link (any reparse point) is judged by what it leads to.
#include "core/text.h"

namespace zo {

// What the directory entry itself says, the link not followed.
struct PathEntry {
    enum class State {
        Missing,  // no such entry, or a folder on the way is missing
        Refused,  // the entry's attributes cannot be read because another program holds it
        Present,
    };
    State state = State::Missing;
    bool folder = false;
    bool link = false;  // a reparse point: the target decides
};

// What opening the path for reading finds, links followed.
enum class LinkTarget {
    File,
    Folder,
    Locked,   // an existing target that another program holds without sharing
    Missing,  // a dangling link
    Refused,  // anything else that keeps it from opening (no permission, a broken mount)
};

class FileSystemView {
  public:
    virtual ~FileSystemView() = default;
    [[nodiscard]] virtual PathEntry Entry(TextView path) = 0;
    // Asked only for an entry that is a link.
    [[nodiscard]] virtual LinkTarget Target(TextView path) = 0;
};

// True for an existing file that is not a folder, also when another program holds it locked;
// a link counts when its target opens for reading or is locked, never when it dangles or
// leads to a folder. An empty path is no file.
[[nodiscard]] bool IsExistingFile(FileSystemView& files, TextView path);

}  // namespace zo
