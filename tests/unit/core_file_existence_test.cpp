#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "core/file_existence.h"

namespace zo {
namespace {

using State = PathEntry::State;

// A file system of canned answers: one entry and, for links, one target per path.
class FakeFiles final : public FileSystemView {
  public:
    struct Node {
        PathEntry entry;
        LinkTarget target = LinkTarget::Missing;
    };
    void Add(TextView path, Node node) { nodes_[Text{path}] = node; }

    PathEntry Entry(TextView path) override {
        asked.push_back("Entry");
        const auto found = nodes_.find(Text{path});
        return found == nodes_.end() ? PathEntry{} : found->second.entry;
    }
    LinkTarget Target(TextView path) override {
        asked.push_back("Target");
        const auto found = nodes_.find(Text{path});
        return found == nodes_.end() ? LinkTarget::Missing : found->second.target;
    }

    std::vector<std::string> asked;

  private:
    std::map<Text, Node> nodes_;
};

TEST(IsExistingFile, EntriesAndLinksJudgedByWhatTheyName) {
    constexpr TextView kPath = u"C:\\KORVA\\korva.exe";
    struct Case {
        const char* what;
        bool present;  // false: the path is not in the fake at all
        FakeFiles::Node node;
        bool expected;
        std::vector<std::string> asked;
    };
    const std::vector<std::string> entryOnly{"Entry"};
    const std::vector<std::string> entryAndTarget{"Entry", "Target"};
    const Case cases[] = {
        {"missing", false, {}, false, entryOnly},
        {"plain file", true, {{State::Present, false, false}}, true, entryOnly},
        {"folder", true, {{State::Present, true, false}}, false, entryOnly},
        {"file locked so its attributes are refused",
         true,
         {{State::Refused, false, false}},
         true,
         entryOnly},
        {"link to a file", true, {{State::Present, false, true}, LinkTarget::File}, true, entryAndTarget},
        {"link to a file another program locked",
         true,
         {{State::Present, false, true}, LinkTarget::Locked},
         true,
         entryAndTarget},
        {"dangling link", true, {{State::Present, false, true}, LinkTarget::Missing}, false, entryAndTarget},
        {"file link that leads to a folder",
         true,
         {{State::Present, false, true}, LinkTarget::Folder},
         false,
         entryAndTarget},
        {"folder link (junction) to a folder",
         true,
         {{State::Present, true, true}, LinkTarget::Folder},
         false,
         entryAndTarget},
        {"folder link that leads to a file",
         true,
         {{State::Present, true, true}, LinkTarget::File},
         true,
         entryAndTarget},
        {"link whose target refuses to open",
         true,
         {{State::Present, false, true}, LinkTarget::Refused},
         false,
         entryAndTarget},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFiles files;
        if (c.present) files.Add(kPath, c.node);
        EXPECT_EQ(IsExistingFile(files, kPath), c.expected);
        EXPECT_EQ(files.asked, c.asked);
    }
}

TEST(IsExistingFile, EmptyPathAsksNothing) {
    FakeFiles files;
    EXPECT_FALSE(IsExistingFile(files, u""));
    EXPECT_TRUE(files.asked.empty());
}

}  // namespace
}  // namespace zo
