#include "settings/ini_file.h"

#include <cstdio>
#include <cstring>

#include "settings/file_system.h"

namespace kestra {
namespace {

// The private-profile functions treat Ctrl-Z like white space.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string Trim(const std::string& s) {
    size_t begin = 0, end = s.size();
    while (begin < end && IsSpace(s[begin])) ++begin;
    while (end > begin && IsSpace(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

IniDocument IniDocument::Parse(const std::string& bytes) {
    IniDocument doc;
    doc.sections_.push_back(Section());
    size_t pos = 0;
    const size_t size = bytes.size();
    while (pos < size) {
        size_t lineEnd = bytes.find('\n', pos);
        if (lineEnd == std::string::npos) lineEnd = size;
        size_t start = pos;
        pos = lineEnd + 1;
        size_t end = lineEnd;
        while (start < end && IsSpace(bytes[start])) ++start;
        if (start >= end) continue;  // blank lines are not kept

        if (bytes[start] == '[') {
            // The header runs to the last ']' of the line; text after it is ignored.
            size_t close = end;
            while (close > start && bytes[close - 1] != ']') --close;
            if (close > start) {
                Section section;
                section.name = bytes.substr(start + 1, close - 1 - (start + 1));
                doc.sections_.push_back(section);
                continue;
            }
        }
        while (end > start && IsSpace(bytes[end - 1])) --end;

        Line line;
        size_t eq = bytes.find('=', start);
        if (eq != std::string::npos && eq < end) {
            size_t nameEnd = eq;
            while (nameEnd > start && IsSpace(bytes[nameEnd - 1])) --nameEnd;
            line.name = bytes.substr(start, nameEnd - start);
            size_t valueStart = eq + 1;
            while (valueStart < end && IsSpace(bytes[valueStart])) ++valueStart;
            line.hasValue = true;
            line.value = bytes.substr(valueStart, end - valueStart);
        } else {
            line.name = bytes.substr(start, end - start);
        }
        // Consecutive lines with an empty name collapse into the first one.
        std::vector<Line>& lines = doc.sections_.back().lines;
        if (line.name.empty() && !lines.empty() && lines.back().name.empty()) continue;
        lines.push_back(line);
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::string out;
    for (const Section& section : sections_) {
        if (!section.name.empty()) out += "[" + section.name + "]\r\n";
        for (const Line& line : section.lines) {
            out += line.name;
            if (line.hasValue) out += "=" + line.value;
            out += "\r\n";
        }
    }
    return out;
}

bool IniDocument::Find(const std::string& section, const std::string& key,
                       std::string& value) const {
    const std::string sectionName = Trim(section), keyName = Trim(key);
    for (const Section& s : sections_) {
        if (!SameName(s.name, sectionName)) continue;
        for (const Line& line : s.lines) {
            if (SameName(line.name, keyName)) {
                if (!line.hasValue) return false;
                value = line.value;
                return true;
            }
        }
        return false;  // only the first section of a name counts
    }
    return false;
}

bool IniDocument::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
    const std::string sectionName = Trim(section), keyName = Trim(key);
    const std::string stored = Trim(value);
    Section* target = nullptr;
    for (Section& s : sections_) {
        if (SameName(s.name, sectionName)) {
            target = &s;
            break;
        }
    }
    if (!target) {
        sections_.push_back(Section());
        target = &sections_.back();
        target->name = sectionName;
    }
    for (Line& line : target->lines) {
        if (SameName(line.name, keyName)) {
            if (line.hasValue && line.value == stored) return false;
            line.hasValue = true;
            line.value = stored;
            return true;
        }
    }
    Line line;
    line.name = keyName;
    line.hasValue = true;
    line.value = stored;
    target->lines.push_back(line);
    return true;
}

std::string IniStringFromValue(const std::string& raw, size_t maxChars) {
    // A value enclosed in matching quotes is returned without them; the system
    // cuts to the buffer first and then drops the last character.
    if (raw.size() > 1 && (raw[0] == '\'' || raw[0] == '"') && raw.back() == raw[0]) {
        const std::string inner = raw.substr(1);
        std::string value = inner.substr(0, maxChars);
        if (inner.size() <= maxChars + 1 && !value.empty()) value.pop_back();
        return value;
    }
    return raw.substr(0, maxChars);
}

int32_t IniIntFromValue(const std::string& text) {
    // Read through a 30-character buffer and converted as the system's string
    // to integer conversion does with base 0: decimal, or 0x, 0o and 0b prefixes.
    const std::string s = text.substr(0, 29);
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    bool minus = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) minus = s[i++] == '-';
    unsigned base = 10;
    if (i + 1 < s.size() && s[i] == '0') {
        const char prefix = s[i + 1];
        if (prefix == 'x') base = 16;
        else if (prefix == 'o') base = 8;
        else if (prefix == 'b') base = 2;
        if (base != 10) i += 2;
    }
    uint32_t total = 0;
    for (; i < s.size(); ++i) {
        const int digit = HexDigit(s[i]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) break;
        total = total * base + static_cast<uint32_t>(digit);
    }
    if (minus) total = 0u - total;
    return static_cast<int32_t>(total);
}

std::string EncodeIniStruct(const void* data, size_t size) {
    static const char kHex[] = "0123456789ABCDEF";
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    std::string out;
    out.reserve(size * 2 + 2);
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        out += kHex[bytes[i] >> 4];
        out += kHex[bytes[i] & 15];
        sum += bytes[i];
    }
    out += kHex[(sum >> 4) & 15];
    out += kHex[sum & 15];
    return out;
}

bool DecodeIniStruct(const std::string& text, void* data, size_t size) {
    if (text.size() != size * 2 + 2) return false;
    std::vector<unsigned char> bytes(size + 1);
    unsigned sum = 0;
    for (size_t i = 0; i <= size; ++i) {
        int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<unsigned char>(high * 16 + low);
        if (i < size) sum += bytes[i];
    }
    if ((sum & 0xFF) != bytes[size]) return false;
    if (size) memcpy(data, bytes.data(), size);
    return true;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    std::string bytes;
    existed_ = ReadWholeFile(path_, bytes);
    doc_ = IniDocument::Parse(bytes);
}

std::string IniFile::GetString(const std::string& section, const std::string& key,
                               const std::string& fallback, size_t maxChars) const {
    std::string raw;
    if (doc_.Find(section, key, raw)) return IniStringFromValue(raw, maxChars);
    // The system drops trailing blanks of the default.
    std::string def = fallback;
    while (!def.empty() && def.back() == ' ') def.pop_back();
    if (def.size() > maxChars) def.resize(maxChars);
    return def;
}

int32_t IniFile::GetInt(const std::string& section, const std::string& key,
                        int32_t fallback) const {
    const std::string text = GetString(section, key, std::string(), 29);
    if (text.empty()) return fallback;
    return IniIntFromValue(text);
}

bool IniFile::GetStruct(const std::string& section, const std::string& key, void* data,
                        size_t size) const {
    std::string raw;
    if (!doc_.Find(section, key, raw)) return false;
    return DecodeIniStruct(raw, data, size);
}

void IniFile::SetString(const std::string& section, const std::string& key,
                        const std::string& value) {
    // A key set to the value already read is not ours to write back: another
    // program may have changed it since.
    if (doc_.Set(section, key, value)) {
        changes_.push_back(Change{section, key, value});
        dirty_ = true;
    }
}

void IniFile::SetInt(const std::string& section, const std::string& key, int32_t value) {
    char text[16];
    snprintf(text, sizeof text, "%d", static_cast<int>(value));
    SetString(section, key, text);
}

void IniFile::SetStruct(const std::string& section, const std::string& key, const void* data,
                        size_t size) {
    SetString(section, key, EncodeIniStruct(data, size));
}

bool IniFile::Save() {
    if (!dirty_) return true;
    FileWriteLock lock(path_);
    // The file as it is now, which the other program may have saved since it
    // was loaded here. Should it not read, this object's own copy is written.
    std::string bytes;
    if (ReadWholeFile(path_, bytes)) {
        IniDocument current = IniDocument::Parse(bytes);
        bool changed = false;
        for (const Change& change : changes_)
            changed = current.Set(change.section, change.key, change.value) || changed;
        doc_ = current;
        if (changed && !WriteFileAtomically(path_, doc_.Serialize())) return false;
    } else if (!WriteFileAtomically(path_, doc_.Serialize())) {
        return false;
    }
    changes_.clear();
    dirty_ = false;
    existed_ = true;
    return true;
}

}  // namespace kestra
