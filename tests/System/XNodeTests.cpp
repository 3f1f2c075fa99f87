#include "Support/Fifo.h"
#include "Support/InterruptedWriter.h"

#include "ZQFramework/System/XNode.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using ZQ::XNode;

namespace
{
const char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">\n";

class StringOutput : public XNode::Output
{
public:
    void Write(const char* bytes, size_t length) override { mText.append(bytes, length); }
    std::string mText;
};

std::string Written(const XNode& node, uint32_t flags)
{
    StringOutput output;
    EXPECT_EQ(node.Write(output, flags), 0);
    return output.mText;
}

std::unique_ptr<XNode> Parse(const std::string& text, XNode* error = nullptr)
{
    return XNode::ParseMemory(text.data(), text.size(), "test", error);
}

std::string Document(const std::string& body)
{
    return std::string(kHeader) + body + "</plist>\n";
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/zq-xnode-XXXXXX";
        mPath = ::mkdtemp(pattern);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    [[nodiscard]] std::string File(const char* name) const { return mPath + "/" + name; }
    [[nodiscard]] size_t EntryCount() const
    {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(mPath), {}));
    }

private:
    std::string mPath;
};
} // namespace

TEST(XNodeLookup, CreatesFindsAndRemovesByPath)
{
    XNode root;
    XNode* b = root.Lookup("a.b", XNode::kLookupCreate);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(root.GetType(), XNode::TypeDictionary);
    XNode* a = root.FindChild("a", 1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetType(), XNode::TypeDictionary);
    EXPECT_EQ(b->GetType(), XNode::TypeNone);
    EXPECT_EQ(b->GetKey(), "b");
    EXPECT_EQ(root.Lookup("a.b"), b);
    EXPECT_EQ(root.Lookup(".A.B"), b) << "keys ignore case and empty segments are skipped";
    EXPECT_EQ(root.Lookup(""), &root);
    EXPECT_EQ(root.Lookup("a.c"), nullptr);

    EXPECT_EQ(root.Lookup("a.b", XNode::kLookupRemove), nullptr);
    EXPECT_EQ(root.Lookup("a.b"), nullptr);
    EXPECT_NE(root.Lookup("a"), nullptr);
}

TEST(XNodeLookup, IndexStepsGrowArraysAndFollowSlots)
{
    XNode root;
    root.Lookup("list", XNode::kLookupCreate);
    XNode* third = root.Lookup("list[2]", XNode::kLookupCreate);
    ASSERT_NE(third, nullptr);
    XNode* list = root.Lookup("list");
    EXPECT_EQ(list->GetType(), XNode::TypeArray);
    ASSERT_EQ(list->GetChildCount(), 3u);
    EXPECT_EQ(list->GetChild(2), third);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(list->GetChild(i)->GetType(), XNode::TypeDictionary);

    XNode* x = root.Lookup("Window.Position[1].X", XNode::kLookupCreate);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(root.Lookup("window.position[1].x"), x);
    EXPECT_EQ(root.Lookup("Window.Position[5]"), nullptr);

    // An empty slot is not filled by a lookup, even with the create flag.
    list->SetArrayCount(5);
    EXPECT_EQ(root.Lookup("list[4]", XNode::kLookupCreate), nullptr);
    EXPECT_EQ(list->GetChildCount(), 5u);
    EXPECT_EQ(list->GetChildCount(true), 3u);
}

TEST(XNodeLookup, VolatileCreationMarksTheLastNodeAndLeavesTheTreeClean)
{
    XNode root(XNode::TypeDictionary);
    XNode* leaf = root.Lookup("a.b", XNode::kLookupCreateVolatile);
    ASSERT_NE(leaf, nullptr);
    EXPECT_TRUE(leaf->IsVolatile());
    EXPECT_FALSE(root.Lookup("a")->IsVolatile());
    root.SetDirty(false);
    leaf->SetString("x");
    EXPECT_FALSE(leaf->IsDirty());
    EXPECT_FALSE(root.IsDirty());
}

TEST(XNodeValues, SettingAValueMarksThePathToTheRootDirty)
{
    XNode root;
    XNode* leaf = root.Lookup("a.b.c", XNode::kLookupCreate);
    XNode* sibling = root.Lookup("z", XNode::kLookupCreate);
    root.SetDirty(false);
    leaf->SetInteger(7);
    EXPECT_TRUE(leaf->IsDirty());
    EXPECT_TRUE(root.Lookup("a.b")->IsDirty());
    EXPECT_TRUE(root.IsDirty());
    EXPECT_FALSE(sibling->IsDirty());

    root.SetDirty(false);
    leaf->SetInteger(7);
    EXPECT_FALSE(root.IsDirty()) << "the same integer again changes nothing";

    // A volatile node is never marked, but what lies below it is, and clearing reaches through it.
    XNode* below = root.Lookup("list[0]", XNode::kLookupCreateVolatile)->Lookup("x", XNode::kLookupCreate);
    below->SetInteger(1);
    EXPECT_TRUE(below->IsDirty());
    root.SetDirty(false);
    EXPECT_FALSE(below->IsDirty());
}

TEST(XNodeValues, ValueFromTextFollowsTheNodeType)
{
    struct Case
    {
        XNode::Type type;
        const char* text;
        int32_t integer;
        bool boolean;
        float real;
    };
    const Case cases[] = {
        {XNode::TypeInteger, "0x10", 16, false, 0},
        {XNode::TypeInteger, "010", 8, false, 0},
        {XNode::TypeInteger, "-42", -42, false, 0},
        {XNode::TypeInteger, "99999999999", INT32_MAX, false, 0},
        {XNode::TypeInteger, "junk", 0, false, 0},
        {XNode::TypeBoolean, "TRUEly", 0, true, 0},
        {XNode::TypeBoolean, "yes", 0, false, 0},
        {XNode::TypeReal, " 1.5", 0, false, 1.5f},
        {XNode::TypeReal, "-2.25e1", 0, false, -22.5f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        XNode node(c.type);
        node.SetValueFromText(c.text, std::strlen(c.text));
        EXPECT_EQ(node.GetInteger(), c.integer);
        EXPECT_EQ(node.GetBoolean(), c.boolean);
        EXPECT_EQ(node.GetReal(), c.real);
    }
    XNode text(XNode::TypeString);
    text.SetValueFromText("ab", 2);
    text.SetValueFromText("cd", 2);
    EXPECT_EQ(text.GetString(), "abcd");
}

TEST(XNodeTree, NodeInTwoContainersLivesUntilItsLastLinkGoes)
{
    auto first = std::make_unique<XNode>(XNode::TypeArray);
    auto second = std::make_unique<XNode>(XNode::TypeDictionary);
    XNode* shared = XNode::Create(first.get(), XNode::TypeString);
    shared->SetString("shared");
    ASSERT_TRUE(second->AddChild(shared));
    EXPECT_EQ(shared->GetParentCount(), 2u);
    first.reset();
    EXPECT_EQ(shared->GetString(), "shared"); // still held by second
    EXPECT_TRUE(second->RemoveChild(shared)); // last link: deleted (ASan watches this)
    EXPECT_EQ(second->GetChildCount(), 0u);

    XNode array(XNode::TypeArray);
    XNode* old = XNode::Create(&array, XNode::TypeInteger);
    EXPECT_FALSE(XNode(XNode::TypeString).AddChild(old)) << "only containers take children";
    XNode* replacement = XNode::Create(nullptr, XNode::TypeInteger);
    EXPECT_TRUE(array.SetArrayItem(0, replacement));
    EXPECT_EQ(array.GetChild(0), replacement);
    EXPECT_TRUE(array.SetArrayItem(3, XNode::Create(nullptr, XNode::TypeBoolean)));
    EXPECT_EQ(array.GetChildCount(), 4u);
    EXPECT_EQ(array.GetChild(1), nullptr);
    EXPECT_TRUE(array.SetArrayCount(1));
    EXPECT_EQ(array.GetChildCount(), 1u);
}

TEST(XNodeWrite, WritesTheSettingsFileLayout)
{
    XNode root(XNode::TypeDictionary);
    root.Lookup("Skin", XNode::kLookupCreate)->SetString("Default");
    root.Lookup("Count", XNode::kLookupCreate)->SetInteger(3);
    XNode* recent = root.Lookup("Recent", XNode::kLookupCreate);
    recent->SetType(XNode::TypeArray);
    XNode::Create(recent, XNode::TypeString)->SetString("a");
    XNode* flag = root.Lookup("On", XNode::kLookupCreate);
    flag->SetType(XNode::TypeBoolean);
    flag->SetValueFromText("true", 4);
    flag->SetVisible(true);
    XNode* real = root.Lookup("Scale", XNode::kLookupCreate);
    real->SetType(XNode::TypeReal);
    real->SetValueFromText("1.5", 3);
    root.Lookup("Empty", XNode::kLookupCreate)->SetType(XNode::TypeDictionary);

    EXPECT_EQ(Written(root, XNode::kWriteDocument), Document("<dict>\n"
                                                             "\t<key>Skin</key><string>Default</string>\n"
                                                             "\t<key>Count</key><integer>3</integer>\n"
                                                             "\t<key>Recent</key><array>\n"
                                                             "\t\t<string>a</string>\n"
                                                             "\t</array>\n"
                                                             "\t<key>On</key><true visible=\"true\"/>\n"
                                                             "\t<key>Scale</key><real>1.500000</real>\n"
                                                             "\t<key>Empty</key><dict/>\n"
                                                             "</dict>\n"));
}

TEST(XNodeWrite, VolatileNodesAndAttributesFollowTheFlags)
{
    XNode root(XNode::TypeDictionary);
    root.SetKey("Top");
    root.Lookup("Temp", XNode::kLookupCreateVolatile)->SetString("t");
    EXPECT_EQ(Written(root, 0), "<key>Top</key><dict/>\n");
    root.SetDirty(true);
    EXPECT_EQ(Written(root, XNode::kWriteVolatile | XNode::kWriteAttributes),
              "<key>Top</key><dict dirty=\"true\">\n\t<key>Temp</key><string "
              "volatile=\"true\">t</string>\n</dict>\n");
}

TEST(XNodeWrite, FailedOutputStopsTheWalk)
{
    class FailingOutput : public XNode::Output
    {
    public:
        void Write(const char*, size_t) override
        {
            ++mWrites;
            mError = 28;
        }
        int mWrites = 0;
    };
    XNode root;
    for (const char* path : {"a", "b", "c"})
        root.Lookup(path, XNode::kLookupCreate)->SetInteger(1);
    FailingOutput output;
    EXPECT_EQ(root.Write(output, XNode::kWriteDocument), 28);
    EXPECT_EQ(output.mWrites, 1);
}

TEST(XNodeRoundTrip, MarkupCharactersAndOddTextSurvive)
{
    XNode root(XNode::TypeDictionary);
    root.Lookup("a&b", XNode::kLookupCreate)->SetString("<&''\">");
    root.Lookup("lines", XNode::kLookupCreate)->SetString("one\r\ntwo\tthree\n");
    XNode* data = root.Lookup("blob", XNode::kLookupCreate);
    data->SetType(XNode::TypeData);
    data->SetValueFromText("x<y&z", 5);
    root.Lookup("odd", XNode::kLookupCreate)->SetString(std::string("bell\a \xFF end", 11));

    const std::string text = Written(root, XNode::kWriteDocument);
    EXPECT_NE(text.find("<key>a&amp;b</key><string>&lt;&amp;&apos;&apos;&quot;&gt;</string>"),
              std::string::npos);
    auto back = Parse(text);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Lookup("a&b")->GetString(), "<&''\">");
    EXPECT_EQ(back->Lookup("lines")->GetString(), "one\r\ntwo\tthree\n");
    EXPECT_EQ(back->Lookup("blob")->GetData(), "x<y&z");
    EXPECT_EQ(back->Lookup("odd")->GetString(), "bell \xEF\xBF\xBD end") << "kept readable, not lost whole";
    EXPECT_EQ(Written(*back, XNode::kWriteDocument), text);
}

TEST(XNodeRoundTrip, TextThatIsNotWellFormedUtf8IsReplacedSequenceBySequence)
{
    struct Case
    {
        std::string written, readBack;
    };
    const std::string replacement = "\xEF\xBF\xBD";
    const Case cases[] = {
        {"a\xF0\x9F\x8E\xB9z", "a\xF0\x9F\x8E\xB9z"},                            // four-byte character kept
        {"a\xC3\xBCz", "a\xC3\xBCz"},                                            // two-byte character kept
        {"a\xC0\x80z", "a" + replacement + replacement + "z"},                   // overlong form
        {"a\xED\xA0\x80z", "a" + replacement + replacement + replacement + "z"}, // encoded surrogate
        {"a\xEF\xBF\xBEz", "a" + replacement + replacement + replacement + "z"}, // U+FFFE: not XML
        {"a\xE2\x82", "a" + replacement + replacement},                          // cut at the end
    };
    for (const Case& c : cases)
    {
        XNode root(XNode::TypeDictionary);
        root.Lookup("text", XNode::kLookupCreate)->SetString(c.written);
        auto back = Parse(Written(root, XNode::kWriteDocument));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->Lookup("text")->GetString(), c.readBack) << c.written;
    }
}

TEST(XNodeRoundTrip, NodesLeftWithoutATypeWriteNothingAndTheFileReadsBackTheSame)
{
    XNode root(XNode::TypeDictionary);
    root.Lookup("Pending.Value", XNode::kLookupCreate); // found or made, but never given a value
    root.Lookup("Set", XNode::kLookupCreate)->SetInteger(1);
    const std::string text = Written(root, XNode::kWriteDocument);
    EXPECT_EQ(text, Document("<dict>\n"
                             "\t<key>Pending</key><dict/>\n"
                             "\t<key>Set</key><integer>1</integer>\n"
                             "</dict>\n"));
    auto back = Parse(text);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Written(*back, XNode::kWriteDocument), text);
}

TEST(XNodeRead, ReadsValuesOfEveryType)
{
    auto root =
        Parse(Document("<dict>\n"
                       "\t<key>Hex</key><integer>0x10</integer>\n"
                       "\t<key>Octal</key><integer>010</integer>\n"
                       "\t<key>Split</key><integer>\n12\n</integer>\n"
                       "\t<key>Yes</key><true/>\n"
                       "\t<key>No</key><FALSE/>\n"
                       "\t<key>R</key><real>2.5</real>\n"
                       "\t<key>L</key><array><string>x</string><string visible=\"TRUE\">y</string></array>\n"
                       "\t<key>Esc</key><string>a&amp;b</string>\n"
                       "</dict>\n"));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetType(), XNode::TypeDictionary);
    EXPECT_EQ(root->Lookup("Hex")->GetInteger(), 16);
    EXPECT_EQ(root->Lookup("Octal")->GetInteger(), 8);
    EXPECT_EQ(root->Lookup("Split")->GetInteger(), 12);
    EXPECT_TRUE(root->Lookup("Yes")->GetBoolean());
    EXPECT_EQ(root->Lookup("No")->GetType(), XNode::TypeBoolean);
    EXPECT_FALSE(root->Lookup("No")->GetBoolean());
    EXPECT_EQ(root->Lookup("R")->GetReal(), 2.5f);
    EXPECT_EQ(root->Lookup("L[1]")->GetString(), "y");
    EXPECT_TRUE(root->Lookup("L[1]")->IsVisible());
    EXPECT_FALSE(root->Lookup("L[1]")->HasKey());
    EXPECT_EQ(root->Lookup("Esc")->GetString(), "a&b");
    EXPECT_FALSE(root->IsDirty());
    EXPECT_FALSE(root->Lookup("R")->IsDirty());
}

TEST(XNodeRead, MalformedOrTooDeepDocumentsGiveTheLoadError)
{
    std::string deep = "<plist>";
    for (int i = 0; i < 200; ++i)
        deep += "<array>";
    struct Case
    {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"<plist>\n<dict>\n<key>a</dict>\n</plist>", "XML Load Error \"mismatched tag\" line 3"},
        {"", "XML Load Error \"no element found\" line 1"},
        {deep, "XML Load Error \"nesting too deep\" line 1"},
        {"<plist><dict></dict></plist>junk", "XML Load Error \"junk after document element\" line 1"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.error);
        XNode error;
        EXPECT_EQ(Parse(c.text, &error), nullptr);
        EXPECT_EQ(error.GetType(), XNode::TypeString);
        EXPECT_EQ(error.GetString(), c.error);
    }
    EXPECT_EQ(Parse("<plist><dict></dict><dict><key>x</key><integer>1</integer></dict></plist>")->GetType(),
              XNode::TypeDictionary)
        << "a second top element is dropped, not leaked";
}

TEST(XNodeFile, FilesRoundTripByteForByte)
{
    TempFolder folder;
    XNode root(XNode::TypeDictionary);
    root.Lookup("Window.Position[1].X", XNode::kLookupCreate)->SetInteger(-20);
    root.Lookup("Name", XNode::kLookupCreate)->SetString("Z\xC3\xBCrich & more");
    root.Lookup("Lines", XNode::kLookupCreate)->SetString("a\nb");
    const std::string first = folder.File("UserSettings.ini");
    ASSERT_EQ(root.WriteFile(first.c_str(), 0), 0);
    const std::string bytes = ReadBytes(first);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n", 0), 0u) << "line ends are CR LF";

    auto back = XNode::ParseFile(first.c_str(), nullptr);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Lookup("lines")->GetString(), "a\nb");
    const std::string second = folder.File("Copy.ini");
    ASSERT_EQ(back->WriteFile(second.c_str(), 0), 0);
    EXPECT_EQ(ReadBytes(second), bytes);
    EXPECT_EQ(folder.EntryCount(), 2u) << "no temporary file is left behind";

    EXPECT_EQ(XNode::ParseFile(folder.File("missing.ini").c_str(), nullptr), nullptr);
}

TEST(XNodeFile, FailedWriteKeepsThePreviousFile)
{
    TempFolder folder;
    const std::string path = folder.File("AppSettings.ini");
    XNode small(XNode::TypeDictionary);
    small.Lookup("Keep", XNode::kLookupCreate)->SetInteger(1);
    ASSERT_EQ(small.WriteFile(path.c_str(), 0), 0);
    const std::string before = ReadBytes(path);

    // A file size limit stands in for a full disk; the child process takes the limit, not the test.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        XNode big(XNode::TypeDictionary);
        big.Lookup("Big", XNode::kLookupCreate)->SetString(std::string(10000, 'x'));
        ::_exit(big.WriteFile(path.c_str(), 0) != 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failed write is reported";
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(folder.EntryCount(), 1u);

    EXPECT_NE(small.WriteFile(folder.File("no/such/folder.ini").c_str(), 0), 0);
}

TEST(XNodeFile, TemporaryOfAnInterruptedWriterIsRemovedOnceItsProcessIsGone)
{
    TempFolder folder;
    const std::string path = folder.File("settings.plist");
    const std::string other = folder.File("other.plist");
    XNode small(XNode::TypeDictionary);
    small.Lookup("Keep", XNode::kLookupCreate)->SetInteger(1);
    ASSERT_EQ(small.WriteFile(path.c_str(), 0), 0);
    const std::string before = ReadBytes(path);
    XNode big(XNode::TypeDictionary);
    big.Lookup("Big", XNode::kLookupCreate)->SetString(std::string(10000, 'x'));

    // Writers killed half-way leave their temporary files; the next write of the same file removes its own.
    for (const std::string& file : {path, other})
        TestSupport::InterruptedWriter killed([&] { (void)big.WriteFile(file.c_str(), 0); }, false);
    EXPECT_EQ(folder.EntryCount(), 3u);
    EXPECT_EQ(ReadBytes(path), before);
    ASSERT_EQ(small.WriteFile(path.c_str(), 0), 0);
    EXPECT_EQ(folder.EntryCount(), 2u) << "the other file's leftover waits for a write of that file";

    // A writer still at work keeps its temporary file until its process is gone.
    TestSupport::InterruptedWriter stopped([&] { (void)big.WriteFile(path.c_str(), 0); }, true);
    EXPECT_EQ(folder.EntryCount(), 3u);
    ASSERT_EQ(small.WriteFile(path.c_str(), 0), 0);
    EXPECT_EQ(folder.EntryCount(), 3u);
    stopped.Finish();
    ASSERT_EQ(small.WriteFile(path.c_str(), 0), 0);
    EXPECT_EQ(folder.EntryCount(), 2u);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(XNodeFile, OnlyRegularFilesAreReadAndNothingWaitsForAWriter)
{
    TempFolder folder;
    const TestSupport::Fifo fifo(folder.File("UserSettings.ini"));
    ASSERT_TRUE(fifo.IsMade());
    std::filesystem::create_directory(folder.File("folder.ini"));
    for (const std::string& path : {fifo.Path(), folder.File("folder.ini"), std::string("/dev/zero")})
    {
        SCOPED_TRACE(path);
        std::unique_ptr<XNode> read;
        EXPECT_TRUE(fifo.EndsWithoutAWriter([&] { read = XNode::ParseFile(path.c_str(), nullptr); }));
        EXPECT_EQ(read, nullptr);
    }
}

TEST(XNodeFile, ALinkIsReplacedByTheNewFileNeverWrittenThrough)
{
    TempFolder folder;
    const std::string other = folder.File("other.txt");
    std::ofstream(other, std::ios::binary) << "not settings";
    ASSERT_EQ(::chmod(other.c_str(), 0640), 0);
    const std::string path = folder.File("UserSettings.ini");
    std::filesystem::create_symlink(other, path);
    XNode root(XNode::TypeDictionary);
    root.Lookup("Keep", XNode::kLookupCreate)->SetInteger(1);

    ASSERT_EQ(root.WriteFile(path.c_str(), 0), 0);
    EXPECT_EQ(ReadBytes(other), "not settings");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path)));
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read | std::filesystem::perms::others_read)
        << "a new file's permissions, not the link target's";
    auto back = XNode::ParseFile(path.c_str(), nullptr);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Lookup("Keep")->GetInteger(), 1);
}

TEST(XNodeFile, ReadOnlyFileIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write any file";
    TempFolder folder;
    const std::string path = folder.File("UserSettings.ini");
    XNode root(XNode::TypeDictionary);
    root.Lookup("Keep", XNode::kLookupCreate)->SetInteger(1);
    ASSERT_EQ(root.WriteFile(path.c_str(), 0), 0);
    const std::string before = ReadBytes(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    root.Lookup("Keep")->SetInteger(2);
    EXPECT_EQ(root.WriteFile(path.c_str(), 0), EACCES);
    EXPECT_EQ(ReadBytes(path), before);
}
