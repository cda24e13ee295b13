// Private-profile (INI) files, written and read exactly as the Windows
// private-profile functions do, so that files stay interchangeable with
// anything that uses kernel32 on them. One implementation serves both
// platforms; saving is atomic (temporary file, then replace).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestra {

// Longest string a read returns (the 2048-character buffer less its terminator).
constexpr size_t kIniStringMax = 2047;

// The in-memory form of one INI file: sections in file order, each with its
// lines in order. A line without '=' (a comment, say) is a key without value.
class IniDocument {
public:
    static IniDocument Parse(const std::string& bytes);
    std::string Serialize() const;

    // The raw value of the first key of that name in the first section of that
    // name (names compared ignoring case). False when absent or valueless.
    bool Find(const std::string& section, const std::string& key, std::string& value) const;
    // Replaces in place or appends to the section, creating it at the end.
    // Returns true when the document changed.
    bool Set(const std::string& section, const std::string& key, const std::string& value);

private:
    struct Line {
        std::string name;
        bool hasValue = false;
        std::string value;
    };
    struct Section {
        std::string name;  // empty for the lines before the first header
        std::vector<Line> lines;
    };
    std::vector<Section> sections_;
};

// Value conversions shared by the file object and its callers.
std::string IniStringFromValue(const std::string& raw, size_t maxChars);  // quotes stripped
int32_t IniIntFromValue(const std::string& text);
std::string EncodeIniStruct(const void* data, size_t size);
// Succeeds only for exactly 2*size+2 hex digits whose sum byte matches; the
// target is written only on success.
bool DecodeIniStruct(const std::string& text, void* data, size_t size);

// One INI file on disk: loaded once, read and changed in memory, saved when
// asked (only when something changed). A missing file reads as empty. Saving
// re-reads the file under FileWriteLock and applies only the keys changed here,
// so keys another program saved meanwhile stay.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }
    bool existed() const { return existed_; }

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback = std::string(),
                          size_t maxChars = kIniStringMax) const;
    int32_t GetInt(const std::string& section, const std::string& key, int32_t fallback) const;
    bool GetStruct(const std::string& section, const std::string& key, void* data,
                   size_t size) const;

    void SetString(const std::string& section, const std::string& key, const std::string& value);
    void SetInt(const std::string& section, const std::string& key, int32_t value);
    void SetStruct(const std::string& section, const std::string& key, const void* data,
                   size_t size);

    // Writes the file atomically if anything changed; false on a write failure.
    bool Save();

private:
    struct Change {
        std::string section, key, value;
    };

    std::string path_;
    IniDocument doc_;
    std::vector<Change> changes_;  // in the order made, to replay on the file as saved
    bool existed_ = false;
    bool dirty_ = false;
};

}  // namespace kestra
