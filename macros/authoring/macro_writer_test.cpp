// Storing new and edited macros into a real catalogue file and real side files.
#include "macros/authoring/macro_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/test_folder.h"
#include "common/text.h"
#include "macros/authoring/hot_key_rules.h"
#include "macros/catalogue/macro_name.h"
#include "platform/posix/posix_file_system.h"

using namespace keyloom;

namespace {

struct Fixture {
    ostrevin::TestFolder folder;
    std::string dir = folder.path() + "/";
    ostrevin::IniStore store{dir + "macros.ini"};
    ostrevin::platform::PosixFileSystem files;
    MacroCatalogue catalogue{store, dir, files};
    MacroWriter writer{catalogue, files};

    std::string read(const std::string& name) {
        std::ifstream in(dir + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return in ? s.str() : "<missing>";
    }
    void put(const std::string& name, const std::string& text) {
        std::ofstream(dir + name, std::ios::binary) << text;
    }
    // The section's lines in file order.
    std::vector<std::string> keys(int n) {
        std::vector<std::string> out;
        for (const auto& [key, value] : store.readSectionRaw(MacroCatalogue::section(n)))
            out.push_back(key + "=" + value);
        return out;
    }
};

using Keys = std::vector<std::string>;

NewMacro make(WizardKind kind, const char* name) {
    NewMacro m;
    m.kind = kind;
    m.name = name;
    return m;
}

}  // namespace

TEST(MacroWriterTest, EachKindWritesItsKeysInItsOrder) {
    struct Case {
        const char* what;
        NewMacro macro;
        Keys keys;
    };
    NewMacro launch = make(WizardKind::Launch, "Editor  ");
    launch.hotKey = 24699;
    launch.commandLine = "/usr/bin/gedit";
    NewMacro keys = make(WizardKind::MouseAndKeyboard, "Typed");
    keys.trigger = "Untitled";
    NewMacro mouse = make(WizardKind::MouseAndKeyboard, "Clicks");
    mouse.keystrokesOnly = false;
    mouse.highSpeed = true;
    mouse.hotKey = 16449;
    NewMacro mouseSlow = mouse;
    mouseSlow.highSpeed = false;
    NewMacro advanced = make(WizardKind::Advanced, "Greet ");
    advanced.trigger = "Inbox";
    advanced.advancedText = "Hello<<ENTER>>\nWorld";
    const Case cases[] = {
        {"launch, empty fields keep both separators",
         launch,
         {"Name=Editor", "Type=1", "HotKey=24699", "FileName=/usr/bin/gedit~~~~", "Trigger="}},
        {"keystrokes",
         keys,
         {"Trigger=Untitled", "Name=Typed", "Type=2", "HotKey=0", "FileName=Typed.dat"}},
        {"mouse, high speed",
         mouse,
         {"Name=Clicks", "Type=3", "HotKey=16449", "Trigger=", "FileName=Clicks.dat", "Speed=2"}},
        {"mouse, recorded speed",
         mouseSlow,
         {"Name=Clicks", "Type=3", "HotKey=16449", "Trigger=", "FileName=Clicks.dat", "Speed=1"}},
        {"advanced",
         advanced,
         {"Name=Greet", "Type=4", "HotKey=0", "Trigger=Inbox", "FileName=Greet.key"}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.store.writeInteger("Main", "Entries", 2);
        EXPECT_EQ(f.writer.append(c.macro), 3) << c.what;
        EXPECT_EQ(f.store.readInteger("Main", "Entries", 0), 3) << c.what;
        EXPECT_EQ(f.keys(3), c.keys) << c.what;
    }
}

TEST(MacroWriterTest, AdvancedTextIsStoredWithCrLfLineEnds) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"one", "one\r\n"},
        {"one\ntwo", "one\r\ntwo\r\n"},
        {"one\n\ntwo\n", "one\r\n\r\ntwo\r\n"},
        {"crlf\r\nkept once", "crlf\r\nkept once\r\n"},
    };
    for (const auto& [text, stored] : cases) {
        Fixture f;
        f.put("Note.key", "old content that must go away entirely");
        NewMacro m = make(WizardKind::Advanced, "Note");
        m.advancedText = text;
        f.writer.append(m);
        EXPECT_EQ(f.read("Note.key"), stored) << text;
    }
}

TEST(MacroWriterTest, UnwritableKeyFileLeavesNoEntry) {
    Fixture f;
    std::filesystem::create_directory(f.dir + "Blocked.key");  // a folder cannot be written
    NewMacro m = make(WizardKind::Advanced, "Blocked");
    EXPECT_THROW(f.writer.append(m), std::runtime_error);
    EXPECT_EQ(f.catalogue.entries(), 0);
}

TEST(MacroWriterTest, RecordingMadeUnderAnEarlierNameTakesTheFinalName) {
    Fixture f;
    f.put("First.dat", "recording");
    NewMacro m = make(WizardKind::MouseAndKeyboard, "Second");
    m.recordedFile = f.dir + "First.dat";
    f.writer.append(m);
    EXPECT_EQ(f.read("Second.dat"), "recording");
    EXPECT_EQ(f.read("First.dat"), "<missing>");
    EXPECT_EQ(f.store.readString("Macro1", "FileName", ""), "Second.dat");
}

TEST(MacroWriterTest, NameChecks) {
    Fixture f;
    f.store.writeInteger("Main", "Entries", 3);
    f.store.writeString("Macro1", "Name", "Report");
    f.store.writeString("Macro3", "Name", "Ünïcode");  // entry 2 has no name: listed as Macro2
    struct Case {
        const char* typed;
        int self;
        bool refused;
    };
    const Case cases[] = {
        {"Report", 0, true},
        {"report  ", 0, true},
        {"REPORT", 0, true},
        {"Report", 1, false},
        {"Report", 2, true},
        {"macro2", 0, true},
        {"ünïcode", 0, false},
        {"Ünïcode ", 0, true},
        {"Reports", 0, false},
        {"a/b", 0, true},
        {"", 0, false},
        // Names that would read back as another: leading blanks, enclosing quotation marks.
        {" Lead", 0, true},
        {"\"Quoted\"", 0, true},
        {"'q'", 0, true},
        {"\"Half", 0, false},
        {"a \"b\"", 0, false},
        {"~temp", 0, true},
        {"~TEMP", 0, true},
        {"~temporary", 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(f.writer.nameProblem(c.typed, c.self).has_value(), c.refused) << c.typed;
    EXPECT_EQ(*f.writer.nameProblem("report"), kNameTakenMessage);
    EXPECT_FALSE(f.writer.nameProblem(std::string(1023, 'x')).has_value());
    EXPECT_TRUE(f.writer.nameProblem(std::string(1024, 'x')).has_value());
    // What the writer refuses it also never stores.
    EXPECT_THROW(f.writer.append(make(WizardKind::Launch, " Lead")), MacroNameError);
    EXPECT_EQ(f.catalogue.entries(), 3);
}

TEST(MacroWriterTest, NegativeEntriesCountAsNone) {
    Fixture f;
    f.store.writeInteger("Main", "Entries", -3);
    EXPECT_EQ(f.writer.append(make(WizardKind::Launch, "First")), 1);
    EXPECT_EQ(f.store.readString("Macro1", "Name", ""), "First");
    EXPECT_EQ(f.catalogue.entries(), 1);
}

TEST(MacroWriterTest, RewriteRenamesOrReplacesTheSideFile) {
    struct Case {
        const char* what;
        int type;
        const char* typed;
        bool rerecorded;
        std::vector<std::pair<const char*, const char*>> expectFiles;  // name, content
        const char* fileName;
        bool recordingLost = false;  // the recorder left no "~temp.dat"
        bool refused = false;
    };
    const Case cases[] = {
        {"recorded macro renamed",
         2,
         "Later",
         false,
         {{"Later.dat", "old"}, {"Old.dat", "<missing>"}},
         "Later.dat"},
        {"advanced macro renamed",
         4,
         "Later ",
         false,
         {{"Later.key", "keys"}, {"Old.key", "<missing>"}},
         "Later.key"},
        {"trailing blanks only: nothing moves", 3, "Old  ", false, {{"Old.dat", "old"}}, "Old.dat"},
        {"re-recorded under the same name",
         2,
         "Old",
         true,
         {{"Old.dat", "new"}, {"~temp.dat", "<missing>"}},
         "Old.dat"},
        {"re-recorded and renamed",
         3,
         "Later",
         true,
         {{"Later.dat", "new"}, {"Old.dat", "<missing>"}, {"~temp.dat", "<missing>"}},
         "Later.dat"},
        // A file left by an earlier macro must neither become this macro's nor be overwritten.
        {"rename onto an orphan file is refused",
         2,
         "Orphan",
         false,
         {{"Orphan.dat", "orphan"}, {"Old.dat", "old"}},
         "Old.dat",
         false,
         true},
        {"re-recorded and renamed onto an orphan file is refused",
         3,
         "Orphan",
         true,
         {{"Orphan.dat", "orphan"}, {"Old.dat", "old"}, {"~temp.dat", "new"}},
         "Old.dat",
         false,
         true},
        // A new recording that never reached the disk must not cost the old one.
        {"re-recorded without a file", 2, "Old", true, {{"Old.dat", "old"}}, "Old.dat", true},
        {"re-recorded without a file and renamed",
         3,
         "Later",
         true,
         {{"Later.dat", "old"}, {"Old.dat", "<missing>"}},
         "Later.dat",
         true},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.store.writeInteger("Main", "Entries", 1);
        f.store.writeString("Macro1", "Name", "Old");
        f.store.writeInteger("Macro1", "Type", c.type);
        const char* ext = c.type == 4 ? ".key" : ".dat";
        f.store.writeString("Macro1", "FileName", std::string("Old") + ext);
        f.put(std::string("Old") + ext, c.type == 4 ? "keys" : "old");
        if (!c.recordingLost) f.put("~temp.dat", "new");
        f.put("Orphan.dat", "orphan");
        EditedMacro m;
        m.number = 1;
        m.type = c.type;
        m.storedName = "Old";
        m.storedFileName = std::string("Old") + ext;
        m.name = c.typed;
        m.rerecorded = c.rerecorded;
        m.highSpeed = true;
        EXPECT_EQ(f.writer.sideFileProblem(m.name, m.type, m.storedFileName).has_value(), c.refused)
            << c.what;
        if (c.refused) {
            EXPECT_THROW(f.writer.rewrite(m), MacroNameError) << c.what;
        } else {
            f.writer.rewrite(m);
        }
        for (const auto& [name, content] : c.expectFiles)
            EXPECT_EQ(f.read(name), content) << c.what << ": " << name;
        EXPECT_EQ(f.store.readString("Macro1", "FileName", ""), c.fileName) << c.what;
        EXPECT_EQ(f.store.readString("Macro1", "Name", ""),
                  c.refused ? "Old" : ostrevin::trimRightControl(c.typed));
        EXPECT_EQ(f.store.sectionExists("Macro1") &&
                      f.store.readString("Macro1", "Speed", "none") != "none",
                  c.type == 3 && !c.refused)
            << c.what;
    }
}

TEST(MacroWriterTest, RewriteOfALaunchMacroJoinsTheCommand) {
    Fixture f;
    f.store.writeInteger("Main", "Entries", 1);
    f.store.writeInteger("Macro1", "Type", 1);
    EditedMacro m;
    m.number = m.type = 1;
    m.storedName = m.name = "Run";
    m.storedFileName = "x~~~~";
    m.hotKey = 24641;
    m.trigger = "Title";
    m.file = "/bin/x  ";
    m.parameters = " -q ";
    m.startIn = " /tmp ";
    f.writer.rewrite(m);
    EXPECT_EQ(f.keys(1), (Keys{"Type=1", "HotKey=24641", "Name=Run", "FileName=/bin/x~~ -q ~~ /tmp",
                               "Trigger=Title"}));
}

TEST(MacroWriterTest, EditModeSaveMovesTheTextAndCancelPutsItBack) {
    Fixture f;
    f.put("Old.key", "old");
    f.writer.saveKeyFile("Old", "New ", "a\nb");
    EXPECT_EQ(f.read("Old.key"), "<missing>");
    EXPECT_EQ(f.read("New.key"), "a\r\nb\r\n");
    EXPECT_EQ(*f.writer.loadKeyFile("New"), "a\r\nb");
    f.writer.restoreKeyFile("New", "Old.key");
    EXPECT_EQ(f.read("Old.key"), "a\r\nb\r\n");
    EXPECT_EQ(f.read("New.key"), "<missing>");
    EXPECT_FALSE(f.writer.loadKeyFile("Missing").has_value());
    EXPECT_FALSE(f.writer.loadKeyFile("../escape").has_value());

    // Nor does a Save take the name of a file another macro left behind.
    f.put("Orphan.key", "orphan");
    EXPECT_THROW(f.writer.saveKeyFile("Old", "Orphan", "x"), MacroNameError);
    EXPECT_EQ(f.read("Orphan.key"), "orphan");

    // A Save that cannot write the new file keeps the old one.
    std::filesystem::create_directory(f.dir + "Blocked.key");
    EXPECT_THROW(f.writer.saveKeyFile("Old", "Blocked", "x"), std::runtime_error);
    EXPECT_EQ(f.read("Old.key"), "a\r\nb\r\n");
}

TEST(HotKeyRulesTest, NoModifierOrShiftAloneIsNoCombination) {
    const std::pair<int, int> cases[] = {
        {0x41, 0x41},     {0x2041, 0x41},   {0x4041, 0x4041}, {0x8041, 0x8041},
        {0x607B, 0x607B}, {0xA041, 0xA041}, {0, 0},           {0x2000, 0},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(acceptedHotKey(in), out) << in;
}
