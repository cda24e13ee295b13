// Runs the same private-profile scenarios through kernel32 and through our
// implementation and demands identical files and identical values read.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "settings/settings_files.h"
#include "tests/native/test_folder.h"

namespace kestra {
namespace {

struct Op {
    enum Kind { kWrite, kWriteStruct, kReadString, kReadInt, kReadStruct } kind;
    const char* section;
    const char* key;
    std::string value;  // text to write, default to read, or struct bytes
    size_t size = 0;    // read buffer (characters) or struct size
};

struct Scenario {
    const char* name;
    const char* initial;  // nullptr: no file
    std::vector<Op> ops;
};

std::string RunSystem(const std::string& path, const std::vector<Op>& ops) {
    std::string results;
    for (const Op& op : ops) {
        switch (op.kind) {
            case Op::kWrite:
                WritePrivateProfileStringA(op.section, op.key, op.value.c_str(), path.c_str());
                break;
            case Op::kWriteStruct:
                WritePrivateProfileStructA(op.section, op.key, const_cast<char*>(op.value.data()),
                                           static_cast<UINT>(op.value.size()), path.c_str());
                break;
            case Op::kReadString: {
                std::vector<char> buffer(op.size, '\0');
                GetPrivateProfileStringA(op.section, op.key, op.value.c_str(), buffer.data(),
                                         static_cast<DWORD>(op.size), path.c_str());
                results += std::string("s:") + buffer.data() + "\n";
                break;
            }
            case Op::kReadInt:
                results += "i:" +
                           std::to_string(static_cast<int>(
                               GetPrivateProfileIntA(op.section, op.key, -1, path.c_str()))) +
                           "\n";
                break;
            case Op::kReadStruct: {
                std::string bytes(op.size, '\x5A');
                BOOL ok = GetPrivateProfileStructA(op.section, op.key, &bytes[0],
                                                   static_cast<UINT>(op.size), path.c_str());
                results += ok ? "t:" + EncodeIniStruct(bytes.data(), op.size) + "\n" : "t:fail\n";
                break;
            }
        }
    }
    return results;
}

std::string RunOurs(const std::string& path, const std::vector<Op>& ops) {
    std::string results;
    for (const Op& op : ops) {
        IniFile file(path);
        switch (op.kind) {
            case Op::kWrite:
                file.SetString(op.section, op.key, op.value);
                file.Save();
                break;
            case Op::kWriteStruct:
                file.SetStruct(op.section, op.key, op.value.data(), op.value.size());
                file.Save();
                break;
            case Op::kReadString:
                results += "s:" + file.GetString(op.section, op.key, op.value, op.size - 1) + "\n";
                break;
            case Op::kReadInt:
                results += "i:" + std::to_string(file.GetInt(op.section, op.key, -1)) + "\n";
                break;
            case Op::kReadStruct: {
                std::string bytes(op.size, '\x5A');
                bool ok = file.GetStruct(op.section, op.key, &bytes[0], op.size);
                results += ok ? "t:" + EncodeIniStruct(bytes.data(), op.size) + "\n" : "t:fail\n";
                break;
            }
        }
    }
    return results;
}

Op W(const char* s, const char* k, const std::string& v) {
    return Op{Op::kWrite, s, k, v};
}
Op WS(const char* s, const char* k, const std::string& bytes) {
    return Op{Op::kWriteStruct, s, k, bytes};
}
Op RS(const char* s, const char* k, const char* def = "", size_t size = 2048) {
    return Op{Op::kReadString, s, k, def, size};
}
Op RI(const char* s, const char* k) {
    return Op{Op::kReadInt, s, k, ""};
}
Op RT(const char* s, const char* k, size_t size) {
    return Op{Op::kReadStruct, s, k, "", size};
}

const std::string kBytes("\x01\xAB\x10\x00\xFF", 5);

std::vector<Scenario> Scenarios() {
    return {
        {"create file and sections",
         nullptr,
         {W("Setting", "A", "1"), W("Setting", "B", "  two "), W("Other", "C", "3"),
          W("setting", "a", "11"), W("Setting", "D", "4"), RS("SETTING", "b"), RI("Setting", "A"),
          RI("Setting", "missing"), RS("Setting", "missing", "dflt  ")}},
        {"odd existing file",
         "; comment\r\n\r\n[S]\r\n  k1 = v1  "
         "\r\nnoval\r\n\r\n=x\r\n=y\r\n[T]\nk=\"q\"\n[S]\nk2=dup\n",
         {RS("S", "k1"), RS("S", "k2", "none"), RS("T", "k"), RI("S", "noval"), W("S", "k1", "v1"),
          W("S", "new", "n"), W("U", "u", "1"), RS("S", "new")}},
        {"integers",
         "[N]\nneg=-17\nplus=+5\nhex=0x1F\ntext=abc\nlead=12abc\nbig=4294967295\nq=\"42\"\nempty="
         "\nbin=0b101\noct=0o17\nzero=010\nX=0X1F\nhexneg=-0xff\n",
         {RI("N", "bin"), RI("N", "oct"), RI("N", "zero"), RI("N", "X"), RI("N", "hexneg"),
          RI("N", "neg"), RI("N", "plus"), RI("N", "hex"), RI("N", "text"), RI("N", "lead"),
          RI("N", "big"), RI("N", "q"), RI("N", "empty")}},
        {"structures",
         nullptr,
         {WS("X", "s", kBytes), RT("X", "s", 5), RT("X", "s", 4), RT("X", "s", 6),
          RT("X", "none", 5), W("X", "bad", "01AB1000FFBC"), RT("X", "bad", 5),
          W("X", "lower", "01ab1000ffbb"), RT("X", "lower", 5)}},
        {"long and quoted strings",
         nullptr,
         {W("L", "long", std::string(3000, 'z')), RS("L", "long"), RS("L", "long", "", 10),
          W("L", "quoted", "'single'"), RS("L", "quoted"), RS("L", "quoted", "", 7),
          RS("L", "quoted", "", 8), W("L", "half", "\"open"), RS("L", "half")}},
        {"headers and text after them",
         "top=1\r\n [A] trailing\r\n[B\r\nx=1\r\n[]\r\ny=2\r\n",
         {RS("A", "x"), RS("A", "y"), RS("", "top"), W("A", "z", "3"), W("New", "k", "v")}},
        {"no final newline and tabs",
         "[S]\r\n\tkey\t=\tvalue\t",
         {RS("S", "key"), W("S", "other", "1"), W("S", "KEY", "value")}},
    };
}

TEST(IniConformance, SameFilesAndValuesAsKernel32) {
    kestra_test::TestFolder folder;
    int n = 0;
    for (const Scenario& scenario : Scenarios()) {
        SCOPED_TRACE(scenario.name);
        const std::string systemPath = folder.path() + "sys" + std::to_string(n) + ".ini";
        const std::string oursPath = folder.path() + "our" + std::to_string(n) + ".ini";
        ++n;
        if (scenario.initial) {
            folder.Write("sys" + std::to_string(n - 1) + ".ini", scenario.initial);
            folder.Write("our" + std::to_string(n - 1) + ".ini", scenario.initial);
        }
        const std::string systemResults = RunSystem(systemPath, scenario.ops);
        const std::string ourResults = RunOurs(oursPath, scenario.ops);
        EXPECT_EQ(systemResults, ourResults);
        std::string systemBytes, ourBytes;
        ReadWholeFile(systemPath, systemBytes);
        ReadWholeFile(oursPath, ourBytes);
        EXPECT_EQ(systemBytes, ourBytes);
    }
}

ProfileSettings SampleProfile() {
    ProfileSettings p;
    MakeDefaultProfile(p, 2);
    CopyText(p.ProFileName, sizeof p.ProFileName, "Sniper night");
    CopyText(p.GameFile, sizeof p.GameFile, "C:\\Games\\Night\\night.exe");
    p.PollingRate = 1;
    p.CpiLevel_X[4] = 144;
    p.ColorOptions[1] = 77;
    p.ColorOptions1 = 77;
    p.ColorOptions[2] = 0;
    p.ColorOptions2 = 0;
    p.DPIColor[0] = 0x123456;
    p.buttons[2].function = 16;
    CopyText(p.buttons[2].label, sizeof p.buttons[2].label, "reload");
    p.buttons[2].stepCount = 1;
    p.buttons[2].steps[0] = MacroStep{21, 1, 35};
    p.buttons[9].function = 17;
    CopyText(p.buttons[9].programPath, sizeof p.buttons[9].programPath, "C:\\Tools\\calc.exe");
    return p;
}

// A whole profile written key by key through kernel32 equals ours, and each
// side reads the other's file back to the same record.
TEST(IniConformance, ProfileFilesMatchKernel32) {
    kestra_test::TestFolder folder;
    const ProfileSettings p = SampleProfile();
    const std::string systemPath = folder.path() + "sys.gmp";
    const std::string oursPath = folder.path() + "ours.gmp";
    const unsigned char* base = reinterpret_cast<const unsigned char*>(&p);
    for (const ProfileKey& key : ProfileKeys()) {
        const unsigned char* field = base + key.offset;
        if (key.kind == ProfileKey::kButton) {
            WritePrivateProfileStructA("Setting", key.name.c_str(),
                                       const_cast<unsigned char*>(field),
                                       static_cast<UINT>(key.size), systemPath.c_str());
            continue;
        }
        char text[600];
        if (key.kind == ProfileKey::kString) {
            CopyText(text, sizeof text, reinterpret_cast<const char*>(field));
        } else {
            int32_t value = 0;
            if (key.kind == ProfileKey::kInt32)
                memcpy(&value, field, 4);
            else
                value = *field;
            wsprintfA(text, "%d", value);
        }
        WritePrivateProfileStringA("Setting", key.name.c_str(), text, systemPath.c_str());
    }
    ASSERT_TRUE(SaveProfile(oursPath, p));
    std::string systemBytes, ourBytes;
    ReadWholeFile(systemPath, systemBytes);
    ReadWholeFile(oursPath, ourBytes);
    EXPECT_EQ(systemBytes, ourBytes);

    ProfileSettings fromSystemFile;
    ASSERT_TRUE(LoadProfile(systemPath, fromSystemFile));
    EXPECT_EQ(0, memcmp(&p, &fromSystemFile, sizeof p));

    for (const ProfileKey& key : ProfileKeys()) {
        if (key.kind != ProfileKey::kInt32) continue;
        int32_t value;
        memcpy(&value, base + key.offset, 4);
        EXPECT_EQ(value, static_cast<int32_t>(GetPrivateProfileIntA("Setting", key.name.c_str(), -1,
                                                                    oursPath.c_str())))
            << key.name;
    }
    ButtonAssignment button;
    ASSERT_TRUE(GetPrivateProfileStructA("Setting", "MacroKeyInfo2", &button, sizeof button,
                                         oursPath.c_str()));
    EXPECT_EQ(0, memcmp(&p.buttons[2], &button, sizeof button));
}

// Monitor saves config.ini while Option or the display program reads it: a
// reader holds the file for a moment, and every save made meanwhile must
// still land (a lost "Device=1" left Monitor looking unplugged for good).
TEST(SettingsFileSharing, EverySaveLandsWhileAnotherThreadKeepsReadingTheFile) {
    kestra_test::TestFolder folder;
    const std::string path = folder.path() + "config.ini";
    ASSERT_TRUE(WriteFileAtomically(path, "[Setting]\r\nDevice=0\r\n"));
    struct Reader {
        std::string path;
        volatile LONG stop = 0;
        LONG reads = 0;
        static DWORD WINAPI Run(LPVOID p) {
            Reader* r = static_cast<Reader*>(p);
            std::string bytes;
            while (!r->stop) {
                if (ReadWholeFile(r->path, bytes)) ++r->reads;
                // Far more often than any real reader, but not holding the
                // file open all the time, which no retry could outlast.
                Sleep(1);
            }
            return 0;
        }
    } reader;
    reader.path = path;
    HANDLE thread = CreateThread(nullptr, 0, &Reader::Run, &reader, 0, nullptr);
    ASSERT_TRUE(thread != nullptr);
    int failed = 0;
    for (int i = 0; i < 300; ++i) {
        if (!WriteFileAtomically(path, "[Setting]\r\nDevice=" + std::to_string(i) + "\r\n")) {
            ++failed;
        }
    }
    reader.stop = 1;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(0, failed) << "while the file was read " << reader.reads << " times";
    std::string last;
    ASSERT_TRUE(ReadWholeFile(path, last));
    EXPECT_EQ("[Setting]\r\nDevice=299\r\n", last);
    // No temporary file is left behind.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder.path() + "*.tmp~").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
}  // namespace kestra
