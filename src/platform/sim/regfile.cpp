#include "platform/sim/regfile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "platform/registry.h"

namespace veltra::sim {

namespace {

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegedit4Header = "REGEDIT4";

// Windows' own registry limits; the reader holds files to them so that every
// key it makes could exist on Windows (and enumerates into 256-character
// buffers).
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxKeyDepth = 512;
constexpr std::size_t kMaxValueNameLength = 16383;

// Code page 1252 from 0x80 to 0x9F; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// WidenAnsi of every byte, looked up instead of worked out per character.
constexpr std::array<char16_t, 256> kWidened = [] {
    std::array<char16_t, 256> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        table[byte] = byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : static_cast<char16_t>(byte);
    }
    return table;
}();

bool IsStringType(Dword type) {
    return type == platform::kRegSz || type == platform::kRegExpandSz || type == platform::kRegMultiSz;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

// The file as 16-bit units: UTF-16 code units for a wide file, the bytes
// themselves for an ANSI one. The syntax is all ASCII, so one parser serves
// both; only the conversion of names and strings differs.
struct DecodedFile {
    bool wide = false;
    bool truncatedUnit = false;  // a wide file with an odd byte count
    std::u16string text;
};

DecodedFile Decode(std::span<const std::uint8_t> bytes) {
    DecodedFile file;
    std::size_t start = 0;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        file.wide = true;
        start = 2;
    } else if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) {
        file.wide = true;  // UTF-16LE that lost its byte-order mark
    }
    if (file.wide) {
        const std::size_t units = (bytes.size() - start) / 2;
        file.text.resize(units);
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(file.text.data(), bytes.data() + start, units * 2);
        } else {
            for (std::size_t i = 0; i < units; ++i) {
                file.text[i] = static_cast<char16_t>(bytes[start + 2 * i] | (bytes[start + 2 * i + 1] << 8));
            }
        }
        file.truncatedUnit = (bytes.size() - start) % 2 != 0;
    } else {
        file.text.assign(bytes.begin(), bytes.end());
    }
    return file;
}

// Lines end at CR LF, LF or a lone CR.
std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] > u'\r' || (text[i] != u'\n' && text[i] != u'\r')) continue;
        lines.push_back(text.substr(begin, i - begin));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        begin = i + 1;
    }
    lines.push_back(text.substr(begin));
    return lines;
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualsAscii(std::u16string_view text, std::string_view ascii) {
    return std::equal(text.begin(), text.end(), ascii.begin(), ascii.end(),
                      [](char16_t a, char b) { return a == static_cast<unsigned char>(b); });
}

std::optional<RegFormat> HeaderFormat(std::u16string_view firstLine) {
    const std::u16string_view header = Trim(firstLine);
    if (EqualsAscii(header, kVersion5Header)) return RegFormat::Version5;
    if (EqualsAscii(header, kRegedit4Header)) return RegFormat::Regedit4;
    return std::nullopt;
}

// One change the file asks for. Value changes apply to the key of the last
// key change before them.
struct Operation {
    enum Kind { OpenKey, DeleteKey, SetValue, DeleteValue } kind;
    // Key changes: the key's full path as the file spells it (checked: a
    // root in full, no part too long); value changes: the value's name.
    std::string text;
    Dword type = 0;
    std::vector<std::uint8_t> data;  // moved into the tree, never copied
};

// Builds a tree from checked operations, one at a time. A file lists keys in
// order, so a key's path mostly repeats the last one's: the keys along the
// last path are kept and only the differing tail is looked up.
class Builder {
public:
    explicit Builder(RegistryTree& tree) : tree_(tree) {}

    void Apply(Operation& op) {
        switch (op.kind) {
            case Operation::OpenKey:
                OpenKey(std::move(op.text));
                break;
            case Operation::DeleteKey:
                tree_.DeleteKeyTree(op.text);
                path_.clear();  // the keys kept may be gone
                key_ = nullptr;
                break;
            case Operation::SetValue:
                key_->SetValue(op.text, op.type, std::move(op.data));
                break;
            case Operation::DeleteValue:
                key_->DeleteValue(op.text);
                break;
        }
    }

private:
    struct Level {
        std::string_view part;  // in lastPath_; the root's name first
        std::shared_ptr<RegNode> node;
    };

    template <class Visit>
    static void ForEachPart(std::string_view path, Visit visit) {
        while (!path.empty()) {
            const auto slash = path.find('\\');
            if (slash != 0) visit(path.substr(0, slash));
            if (slash == std::string_view::npos) break;
            path.remove_prefix(slash + 1);
        }
    }

    void OpenKey(std::string text) {
        std::size_t depth = 0;
        ForEachPart(text, [&](std::string_view part) {
            if (depth < path_.size() && path_[depth].part.size() == part.size() &&
                CompareFolded(path_[depth].part, part) == 0) {
                ++depth;
                return;
            }
            path_.resize(depth);
            path_.push_back({part, depth == 0 ? tree_.Root(part) : path_[depth - 1].node->CreateSubkey(part)});
            ++depth;
        });
        path_.resize(depth);
        key_ = path_.back().node;
        // Keep the path's text for the next key, and the parts pointing there.
        lastPath_ = std::move(text);
        std::size_t level = 0;
        ForEachPart(lastPath_, [&](std::string_view part) { path_[level++].part = part; });
    }

    RegistryTree& tree_;
    std::string lastPath_;
    std::vector<Level> path_;
    std::shared_ptr<RegNode> key_;
};

// What the text after a value's data says about the value.
enum class Tail { Ok, Void, Bad };

class Parser {
public:
    // With a builder, each operation is applied as soon as its line is
    // read; without one they are kept for operations().
    Parser(const DecodedFile& file, RegFormat format, std::vector<std::u16string_view> lines, Builder* builder)
        : file_(file), format_(format), lines_(std::move(lines)), builder_(builder) {
        if (builder_ == nullptr) operations_.reserve(lines_.size());
    }

    std::optional<RegFileError> Parse() {
        for (line_ = 1; line_ < lines_.size() && !error_; ++line_) {
            text_ = lines_[line_];
            pos_ = 0;
            SkipBlanks();
            if (AtEnd() || Peek() == u';' || Peek() == u'#') continue;
            if (Peek() == u'[') {
                ParseKeyLine();
            } else if (Peek() == u'"' || Peek() == u'@') {
                ParseValueLine();
            } else {
                Fail("expected a [KEY] line, a \"name\"= or @= value line, or a comment; found \"" +
                     Excerpt() + "\"");
            }
        }
        return error_;
    }

    std::vector<Operation>& operations() { return operations_; }

private:
    void Emit(Operation& op) {
        if (builder_ != nullptr) {
            builder_->Apply(op);
        } else {
            operations_.push_back(std::move(op));
        }
    }

    // --- the cursor on the current line ---------------------------------------
    bool AtEnd() const { return pos_ >= text_.size(); }
    char16_t Peek() const { return AtEnd() ? u'\0' : text_[pos_]; }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(text_[pos_])) ++pos_;
    }
    bool TakeWord(std::string_view word) {  // ASCII, ignoring case
        if (text_.size() - pos_ < word.size()) return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            char16_t c = text_[pos_ + i];
            if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
            if (c != static_cast<unsigned char>(word[i])) return false;
        }
        pos_ += word.size();
        return true;
    }
    int DisplayLine() const { return static_cast<int>(line_ + 1); }

    void Fail(std::string message) {
        if (!error_) error_ = RegFileError{DisplayLine(), std::move(message)};
    }

    // The rest of the line, shortened, for messages.
    std::string Excerpt() const {
        std::u16string_view rest = text_.substr(std::min(pos_, text_.size()));
        std::string shown;
        for (const char16_t c : rest.substr(0, 40)) shown += Printable(c);
        if (rest.size() > 40) shown += "...";
        return shown;
    }
    std::string Printable(char16_t c) const {
        if (file_.wide) {
            const auto narrow = NarrowToAnsi(c);
            return narrow ? std::string(1, static_cast<char>(*narrow)) : std::string("?");
        }
        return std::string(1, static_cast<char>(c));
    }

    // Names and strings become ANSI: a wide file's characters must exist in
    // the code page.
    std::optional<std::string> ToAnsi(std::u16string_view units, std::string_view what) {
        std::string out;
        out.reserve(units.size());
        for (const char16_t c : units) {
            if (!file_.wide || c < 0x80) {
                out.push_back(static_cast<char>(c));
                continue;
            }
            const auto narrow = NarrowToAnsi(c);
            if (!narrow) {
                Fail(std::string(what) + " holds a character that the ANSI code page (1252) lacks");
                return std::nullopt;
            }
            out.push_back(static_cast<char>(*narrow));
        }
        return out;
    }

    // --- [KEY] and [-KEY] -------------------------------------------------------
    void ParseKeyLine() {
        ++pos_;  // '['
        const bool deletion = Peek() == u'-';
        if (deletion) ++pos_;
        const std::size_t close = text_.rfind(u']');
        if (close == std::u16string_view::npos || close < pos_) {
            Fail("the key name has no closing ]");
            return;
        }
        const std::u16string_view pathText = text_.substr(pos_, close - pos_);
        pos_ = close + 1;
        SkipBlanks();
        if (!AtEnd() && Peek() != u';') {
            Fail("unexpected text after the key name: \"" + Excerpt() + "\"");
            return;
        }
        auto path = ToAnsi(pathText, "the key name");
        if (!path) return;

        const std::string_view full(*path);
        const std::string_view rootText = full.substr(0, full.find('\\'));
        if (rootText.empty()) {
            Fail("the key name must start with a root such as HKEY_LOCAL_MACHINE");
            return;
        }
        // A file names its roots in full, as regedit writes them; the short
        // forms (HKLM) are for command lines, not files.
        const auto root = RegistryTree::CanonicalRootView(rootText);
        if (!root || rootText.size() != root->size() || CompareFolded(rootText, *root) != 0) {
            std::string message = "unknown root \"" + std::string(rootText) + "\"";
            if (root) message += " (write it in full: " + std::string(*root) + ")";
            Fail(std::move(message));
            return;
        }
        const std::string_view below = full.substr(rootText.size());
        std::size_t depth = 0;
        if (!below.empty()) {
            std::string_view rest = below.substr(1);
            while (true) {
                const auto slash = rest.find('\\');
                const std::string_view part = rest.substr(0, slash);
                if (part.size() > kMaxKeyNameLength) {
                    Fail("the key name \"" + std::string(part.substr(0, 40)) +
                         "...\" is longer than 255 characters");
                    return;
                }
                if (!part.empty()) ++depth;
                if (slash == std::string_view::npos) break;
                rest.remove_prefix(slash + 1);
            }
        }
        if (depth > kMaxKeyDepth) {
            Fail("the key is nested deeper than 512 levels");
            return;
        }
        if (below.find('\0') != std::string_view::npos) {
            Fail("the key name holds a zero character");
            return;
        }
        if (deletion && depth == 0) {
            Fail("a root key cannot be deleted");
            return;
        }
        keyState_ = deletion ? KeyState::Deleted : KeyState::Open;
        Operation op{deletion ? Operation::DeleteKey : Operation::OpenKey, std::move(*path), 0, {}};
        Emit(op);
    }

    // --- "name"=data ------------------------------------------------------------
    void ParseValueLine() {
        if (keyState_ == KeyState::None) {
            Fail("a value line comes before any [KEY] line");
            return;
        }
        if (keyState_ == KeyState::Deleted) {
            Fail("a value line follows a [-KEY] deletion; values belong under a [KEY] line");
            return;
        }
        Operation op{Operation::SetValue, {}, 0, {}};
        if (Peek() == u'@') {
            ++pos_;
        } else {
            if (!QuotedAnsi("value name", "the value name", op.text)) return;
            if (op.text.size() > kMaxValueNameLength) {
                Fail("the value name is longer than 16383 characters");
                return;
            }
            if (op.text.find('\0') != std::string::npos) {
                Fail("the value name holds a zero character");
                return;
            }
        }
        SkipBlanks();
        if (Peek() != u'=') {
            Fail("expected = after the value name");
            return;
        }
        ++pos_;
        SkipBlanks();

        Tail tail = Tail::Bad;
        if (Peek() == u'-') {
            ++pos_;
            op.kind = Operation::DeleteValue;
            tail = ValueTail("the deletion mark -");
        } else if (Peek() == u'"') {
            tail = ParseString(op);
        } else if (TakeWord("dword:")) {
            tail = ParseDword(op);
        } else if (TakeWord("hex")) {
            tail = ParseHex(op);
        } else {
            Fail("unknown value data \"" + Excerpt() +
                 "\"; expected \"text\", dword:, hex:, hex(N): or -");
        }
        if (tail == Tail::Ok) Emit(op);
    }

    // A quoted name or string on the current line, appended to `out` as
    // ANSI; only \\ and \" are escapes. `what` names it in messages about the
    // syntax, `whose` in the message about a character the code page lacks,
    // which comes only when the syntax is right.
    template <class Out>
    bool QuotedAnsi(std::string_view what, std::string_view whose, Out& out) {
        using Unit = typename Out::value_type;
        ++pos_;  // opening quote
        // Data gets its room at once: the rest of the line bounds it, with
        // room for the terminating zero in place of the closing quote.
        if constexpr (std::is_same_v<Out, std::vector<std::uint8_t>>) out.reserve(out.size() + text_.size() - pos_);
        bool unmappable = false;
        while (!AtEnd()) {
            // A run of plain characters goes in at once.
            std::size_t end = pos_;
            while (end < text_.size() && text_[end] != u'"' && text_[end] != u'\\' &&
                   (text_[end] < 0x80 || !file_.wide)) {
                ++end;
            }
            if (end > pos_) {
                const std::size_t at = out.size();
                out.resize(at + (end - pos_));
                for (std::size_t i = pos_; i < end; ++i) out[at + (i - pos_)] = static_cast<Unit>(text_[i]);
                pos_ = end;
                continue;
            }
            char16_t c = text_[pos_++];
            if (c == u'"') {
                if (!unmappable) return true;
                Fail(std::string(whose) + " holds a character that the ANSI code page (1252) lacks");
                return false;
            }
            if (c == u'\\') {
                if (AtEnd()) break;
                c = text_[pos_++];
                if (c != u'\\' && c != u'"') {
                    Fail("unknown escape \\" + Printable(c) + " in the " + std::string(what) +
                         "; only \\\\ and \\\" are escapes");
                    return false;
                }
            }
            if (!file_.wide || c < 0x80) {
                out.push_back(static_cast<Unit>(c));
            } else if (const auto narrow = NarrowToAnsi(c)) {
                out.push_back(static_cast<Unit>(*narrow));
            } else {
                unmappable = true;
            }
        }
        Fail("the " + std::string(what) + " has no closing quote (it cannot continue on the next line)");
        return false;
    }

    // After the data: blanks, then the end of the line or a ';' comment. A '#'
    // there voids the whole line, as regedit treats it.
    Tail ValueTail(std::string_view after) {
        SkipBlanks();
        if (AtEnd() || Peek() == u';') return Tail::Ok;
        if (Peek() == u'#') return Tail::Void;
        Fail("unexpected text after " + std::string(after) + ": \"" + Excerpt() + "\"");
        return Tail::Bad;
    }

    Tail ParseString(Operation& op) {
        op.type = platform::kRegSz;
        if (!QuotedAnsi("string", "the string", op.data)) return Tail::Bad;
        op.data.push_back(0);
        return ValueTail("the string");
    }

    Tail ParseDword(Operation& op) {
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (!AtEnd() && HexDigit(Peek()) >= 0) {
            value = (value << 4) | static_cast<std::uint32_t>(HexDigit(text_[pos_++]));
            ++digits;
        }
        if (digits == 0 || digits > 8) {
            Fail("dword: takes 1 to 8 hex digits");
            return Tail::Bad;
        }
        op.type = platform::kRegDword;
        op.data = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        return ValueTail("the dword value");
    }

    Tail ParseHex(Operation& op) {
        op.type = platform::kRegBinary;
        if (Peek() == u'(') {
            ++pos_;
            std::uint32_t type = 0;
            std::size_t digits = 0;
            while (!AtEnd() && HexDigit(Peek()) >= 0) {
                type = (type << 4) | static_cast<std::uint32_t>(HexDigit(text_[pos_++]));
                ++digits;
            }
            if (digits == 0 || digits > 8 || Peek() != u')') {
                Fail("hex(N): takes a type of 1 to 8 hex digits");
                return Tail::Bad;
            }
            ++pos_;
            op.type = type;
        }
        if (Peek() != u':') {
            Fail("expected : after hex or hex(N)");
            return Tail::Bad;
        }
        ++pos_;
        const std::size_t firstLine = line_;
        const Tail tail = HexBytes(op.data);
        if (tail != Tail::Ok) return tail;
        if (format_ == RegFormat::Version5 && IsStringType(op.type)) {
            // A Version 5 file holds string types as UTF-16LE; the tree holds ANSI.
            if (!NarrowStringData(op.data, firstLine)) return Tail::Bad;
        }
        return Tail::Ok;
    }

    // Comma-separated bytes of one or two hex digits, continued over lines
    // that end in a backslash after a comma. Blank lines and ';' comment lines
    // inside a continuation are skipped; a '#' comment voids the value.
    Tail HexBytes(std::vector<std::uint8_t>& data) {
        data.reserve(data.size() + (text_.size() - pos_ + 1) / 3);  // "xx," per byte on this line
        bool afterByte = false;
        while (true) {
            SkipBlanks();
            if (AtEnd() || Peek() == u';') return Tail::Ok;
            const char16_t c = Peek();
            if (c == u'#') return Tail::Void;
            if (c == u',') {
                if (!afterByte) {
                    Fail("a comma in hex data without a byte before it");
                    return Tail::Bad;
                }
                ++pos_;
                afterByte = false;
                continue;
            }
            // The common case, "xx," in one step.
            if (!afterByte && pos_ + 2 < text_.size() && text_[pos_ + 2] == u',' && HexDigit(c) >= 0 &&
                HexDigit(text_[pos_ + 1]) >= 0) {
                data.push_back(static_cast<std::uint8_t>(HexDigit(c) * 16 + HexDigit(text_[pos_ + 1])));
                pos_ += 3;
                continue;
            }
            if (c == u'\\') {
                if (afterByte) {
                    Fail("the line continuation \\ must follow a comma");
                    return Tail::Bad;
                }
                ++pos_;
                const Tail rest = ValueTail("the line continuation \\");
                if (rest != Tail::Ok) return rest;
                if (!NextContinuationLine()) return error_ ? Tail::Bad : Tail::Void;
                continue;
            }
            const int high = HexDigit(c);
            if (high < 0) {
                Fail("unexpected \"" + Printable(c) + "\" in hex data");
                return Tail::Bad;
            }
            if (afterByte) {
                Fail("bytes in hex data must be separated by commas");
                return Tail::Bad;
            }
            ++pos_;
            int byte = high;
            if (!AtEnd() && HexDigit(Peek()) >= 0) byte = byte * 16 + HexDigit(text_[pos_++]);
            if (!AtEnd() && HexDigit(Peek()) >= 0) {
                Fail("a byte in hex data has more than two hex digits");
                return Tail::Bad;
            }
            data.push_back(static_cast<std::uint8_t>(byte));
            afterByte = true;
        }
    }

    // Moves to the line that continues hex data. False when a '#' comment
    // line voids the value or the file ends first (then the data simply ends:
    // the value is kept, so this returns true with the cursor at an end).
    bool NextContinuationLine() {
        while (line_ + 1 < lines_.size()) {
            ++line_;
            text_ = lines_[line_];
            pos_ = 0;
            SkipBlanks();
            if (AtEnd() || Peek() == u';') continue;
            return Peek() != u'#';
        }
        pos_ = text_.size();
        return true;
    }

    bool NarrowStringData(std::vector<std::uint8_t>& data, std::size_t firstLine) {
        if (data.size() % 2 != 0) {
            error_ = RegFileError{static_cast<int>(firstLine + 1),
                                  "string data in a Version 5 file must be UTF-16LE, an even number of bytes"};
            return false;
        }
        // In place: byte i/2 is written after bytes i and i+1 are read.
        for (std::size_t i = 0; i < data.size(); i += 2) {
            const auto byte = NarrowToAnsi(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
            if (!byte) {
                error_ = RegFileError{static_cast<int>(firstLine + 1),
                                      "string data holds a character that the ANSI code page (1252) lacks"};
                return false;
            }
            data[i / 2] = *byte;
        }
        data.resize(data.size() / 2);
        return true;
    }

    enum class KeyState { None, Open, Deleted };

    const DecodedFile& file_;
    RegFormat format_;
    std::vector<std::u16string_view> lines_;
    std::size_t line_ = 0;  // 0-based index of the current line
    std::u16string_view text_;
    std::size_t pos_ = 0;
    KeyState keyState_ = KeyState::None;
    Builder* builder_;
    std::vector<Operation> operations_;
    std::optional<RegFileError> error_;
};

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

// The column at which regedit breaks hex data: after the comma that brings
// the line to this width it writes a backslash and goes on, indented by two.
constexpr std::size_t kHexWrapColumn = 77;

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendEscaped(std::string& out, std::string_view text) {
    std::size_t run = 0;  // the start of the text not yet written
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' && text[i] != '"') continue;
        out.append(text.substr(run, i - run));
        out.push_back('\\');
        run = i;  // the character itself opens the next run
    }
    out.append(text.substr(run));
}

// A REG_SZ value that the quoted form gives back byte for byte: text without
// zeros or line breaks, then exactly one terminating zero. Any other REG_SZ
// data is written as hex(1) so that a snapshot survives a round trip (regedit
// would cut the string at its first zero).
bool IsPlainString(const RegValue& value) {
    if (value.type != platform::kRegSz || value.data.empty() || value.data.back() != 0) return false;
    return std::none_of(value.data.begin(), value.data.end() - 1, [](std::uint8_t byte) {
        return byte == 0 || byte == '\r' || byte == '\n';
    });
}

// The data part of a value line. With a column, hex data wraps the way
// regedit wraps it; without one it stays on one line.
void AppendData(std::string& out, const RegValue& value, RegFormat format,
                std::optional<std::size_t> column) {
    if (IsPlainString(value)) {
        out.push_back('"');
        AppendEscaped(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                            value.data.size() - 1));
        out.push_back('"');
        return;
    }
    if (value.type == platform::kRegDword && value.data.size() == 4) {
        const std::uint32_t number = static_cast<std::uint32_t>(value.data[0]) |
                                     (static_cast<std::uint32_t>(value.data[1]) << 8) |
                                     (static_cast<std::uint32_t>(value.data[2]) << 16) |
                                     (static_cast<std::uint32_t>(value.data[3]) << 24);
        out += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kHexDigits[(number >> shift) & 0x0F]);
        return;
    }
    const std::size_t prefixStart = out.size();
    if (value.type == platform::kRegBinary) {
        out += "hex:";
    } else {
        out += "hex(";
        bool started = false;
        for (int shift = 28; shift >= 0; shift -= 4) {
            const auto digit = (value.type >> shift) & 0x0F;
            if (digit == 0 && !started && shift != 0) continue;
            started = true;
            out.push_back(kHexDigits[digit]);
        }
        out += "):";
    }
    // A Version 5 file shows string types as their UTF-16LE bytes: byte i is
    // the low or high half of the unit that widens data byte i / 2.
    const bool wide = format == RegFormat::Version5 && IsStringType(value.type);
    const std::size_t count = wide ? value.data.size() * 2 : value.data.size();
    std::size_t width = column ? *column + (out.size() - prefixStart) : 0;
    // Room for "xx," per byte and for every line break: a line after a break
    // holds 25 bytes, the first at least one.
    const std::size_t start = out.size();
    out.resize(start + count * 3 + (count / 25 + 2) * 5);
    char* cursor = out.data() + start;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t byte = value.data[wide ? i / 2 : i];
        if (wide) {
            const char16_t unit = kWidened[byte];
            byte = static_cast<std::uint8_t>(i % 2 == 0 ? unit & 0xFF : unit >> 8);
        }
        *cursor++ = kHexDigits[byte >> 4];
        *cursor++ = kHexDigits[byte & 0x0F];
        if (i + 1 == count) break;
        *cursor++ = ',';
        if (!column) continue;
        width += 3;
        if (width >= kHexWrapColumn) {
            std::memcpy(cursor, "\\\r\n  ", 5);
            cursor += 5;
            width = 2;
        }
    }
    out.resize(static_cast<std::size_t>(cursor - out.data()));
}

void AppendValue(std::string& out, const RegValue& value, RegFormat format) {
    const std::size_t lineStart = out.size();
    if (value.name.empty()) {
        out += "@=";
    } else {
        out.push_back('"');
        AppendEscaped(out, value.name);
        out += "\"=";
    }
    AppendData(out, value, format, out.size() - lineStart);
    out += "\r\n";
}

// Writes the text in pieces of about kPiece bytes, so that a large hive
// never sits in memory as a whole file. With `widen`, a Version 5 file's
// pieces come as its UTF-16LE bytes after the byte-order mark; without, as
// the text before widening.
class Writer {
public:
    static constexpr std::size_t kPiece = 1 << 16;

    Writer(RegFormat format, bool widen, const RegFileSink& sink)
        : format_(format), widen_(widen && format == RegFormat::Version5), sink_(sink) {
        text_.reserve(kPiece * 2);
        if (widen_) wide_.reserve(kPiece * 4);
    }

    void Write(const RegistryTree& tree) {
        if (widen_) {
            const std::uint8_t bom[] = {0xFF, 0xFE};
            sink_(bom);
        }
        text_ = format_ == RegFormat::Version5 ? kVersion5Header : kRegedit4Header;
        text_ += "\r\n";
        for (const std::string& rootName : RegistryTree::RootNames()) {
            const auto root = tree.Root(rootName);
            if (root->values().empty() && root->subkeys().empty()) continue;
            std::string path = rootName;
            Key(*root, path);
        }
        text_ += "\r\n";
        Flush();
    }

private:
    void Key(const RegNode& node, std::string& path) {
        text_ += "\r\n[";
        text_ += path;
        text_ += "]\r\n";
        for (const RegValue& value : node.values()) AppendValue(text_, value, format_);
        if (text_.size() >= kPiece) Flush();
        for (const auto& [folded, child] : node.subkeys()) {
            const std::size_t length = path.size();
            path += '\\';
            path += child->name();
            Key(*child, path);
            path.resize(length);
        }
    }

    void Flush() {
        if (!widen_) {
            sink_({reinterpret_cast<const std::uint8_t*>(text_.data()), text_.size()});
        } else {
            wide_.resize(text_.size() * 2);
            std::uint8_t* out = wide_.data();
            for (const char c : text_) {
                const char16_t unit = kWidened[static_cast<std::uint8_t>(c)];
                out[0] = static_cast<std::uint8_t>(unit & 0xFF);
                out[1] = static_cast<std::uint8_t>(unit >> 8);
                out += 2;
            }
            sink_(wide_);
        }
        text_.clear();
    }

    RegFormat format_;
    bool widen_;
    const RegFileSink& sink_;
    std::string text_;
    std::vector<std::uint8_t> wide_;
};

// ---------------------------------------------------------------------------
// Differences
// ---------------------------------------------------------------------------

// Walks the tree as it was and the tree as it is side by side. The tree as it
// was is either a tree of its own or a baseline of the tree as it is; with a
// baseline, a key that is the same object on both sides and has nothing
// changed at or below it is skipped whole.
class Differ {
public:
    Differ(std::vector<RegChange>& changes, const RegistryBaseline* baseline)
        : changes_(changes), baseline_(baseline) {}

    // Either side may be absent (an added or deleted key), not both.
    void Node(const RegNode* before, const RegNode* after, std::string& path, bool isRoot) {
        const bool same = baseline_ != nullptr && before == after;
        if (same && !baseline_->Touched(*before)) return;
        if (!isRoot && before == nullptr) changes_.push_back({RegChange::KeyAdded, path, {}, {}, {}});
        if (!isRoot && after == nullptr) changes_.push_back({RegChange::KeyDeleted, path, {}, {}, {}});
        if (!same || baseline_->ValuesChanged(*before)) Values(before, after, path);

        static const SubkeyMap kNone;
        const auto& left = before != nullptr ? SubkeysBefore(*before) : kNone;
        const auto& right = after != nullptr ? after->subkeys() : kNone;
        auto l = left.begin();
        auto r = right.begin();
        while (l != left.end() || r != right.end()) {
            const RegNode* b = nullptr;
            const RegNode* a = nullptr;
            if (r == right.end() || (l != left.end() && l->first < r->first)) {
                b = (l++)->second.get();
            } else if (l == left.end() || r->first < l->first) {
                a = (r++)->second.get();
            } else {
                b = (l++)->second.get();
                a = (r++)->second.get();
            }
            const std::size_t length = path.size();
            path += '\\';
            path += (a != nullptr ? a : b)->name();
            Node(b, a, path, false);
            path.resize(length);
        }
    }

private:
    const std::vector<RegValue>& ValuesBefore(const RegNode& key) const {
        return baseline_ != nullptr ? baseline_->ValuesBefore(key) : key.values();
    }
    const SubkeyMap& SubkeysBefore(const RegNode& key) const {
        return baseline_ != nullptr ? baseline_->SubkeysBefore(key) : key.subkeys();
    }

    // A value of the key as it was, by name. The key's own index serves while
    // its values are the ones it had; a list the baseline kept is searched,
    // through a folded-name index when it is long.
    class BeforeValues {
    public:
        BeforeValues(const RegNode* key, const std::vector<RegValue>* values) : key_(key), values_(values) {
            if (values_ == nullptr || (key_ != nullptr && values_ == &key_->values()) || values_->size() <= 16) return;
            for (std::size_t i = 0; i < values_->size(); ++i) index_.emplace(FoldCase((*values_)[i].name), i);
        }
        const RegValue* Find(std::string_view name) const {
            if (values_ == nullptr) return nullptr;
            if (key_ != nullptr && values_ == &key_->values()) return key_->FindValue(name);
            if (!index_.empty()) {
                const auto found = index_.find(FoldCase(name));
                return found == index_.end() ? nullptr : &(*values_)[found->second];
            }
            for (const RegValue& value : *values_) {
                if (value.name.size() == name.size() && CompareFolded(value.name, name) == 0) return &value;
            }
            return nullptr;
        }

    private:
        const RegNode* key_;
        const std::vector<RegValue>* values_;
        std::unordered_map<std::string, std::size_t> index_;
    };

    void Values(const RegNode* before, const RegNode* after, const std::string& path) {
        const std::vector<RegValue>* old = before != nullptr ? &ValuesBefore(*before) : nullptr;
        if (old != nullptr) {
            for (const RegValue& value : *old) {
                if (after == nullptr || after->FindValue(value.name) == nullptr) {
                    changes_.push_back({RegChange::ValueDeleted, path, value.name, value, std::nullopt});
                }
            }
        }
        if (after != nullptr) {
            const BeforeValues lookup(before, old);
            for (const RegValue& value : after->values()) {
                const RegValue* was = lookup.Find(value.name);
                if (was == nullptr) {
                    changes_.push_back({RegChange::ValueAdded, path, value.name, std::nullopt, value});
                } else if (!(*was == value)) {
                    changes_.push_back({RegChange::ValueChanged, path, value.name, *was, value});
                }
            }
        }
    }

    std::vector<RegChange>& changes_;
    const RegistryBaseline* baseline_;
};

}  // namespace

char16_t WidenAnsi(std::uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kCp1252High[byte - 0x80];
    return byte;
}

std::optional<std::uint8_t> NarrowToAnsi(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<std::uint8_t>(unit);
    const auto found = std::find(kCp1252High.begin(), kCp1252High.end(), unit);
    if (found == kCp1252High.end()) return std::nullopt;
    return static_cast<std::uint8_t>(0x80 + (found - kCp1252High.begin()));
}

std::optional<RegFormat> DetectRegFormat(std::span<const std::uint8_t> bytes) {
    // The header is the first line; a little more than its length is enough.
    const DecodedFile file = Decode(bytes.first(std::min<std::size_t>(bytes.size(), 256)));
    const std::u16string_view text(file.text);
    const auto end = text.find_first_of(u"\r\n");
    return HeaderFormat(text.substr(0, end));
}

namespace {

bool IsEmpty(const RegistryTree& tree) {
    for (const std::string& rootName : RegistryTree::RootNames()) {
        const auto root = tree.Root(rootName);
        if (!root->values().empty() || !root->subkeys().empty()) return false;
    }
    return true;
}

void MakeEmpty(RegistryTree& tree) {
    for (const std::string& rootName : RegistryTree::RootNames()) {
        const auto root = tree.Root(rootName);
        while (!root->values().empty()) root->DeleteValue(root->values().back().name);
        while (!root->subkeys().empty()) root->RemoveSubkey(root->subkeys().begin()->second->name());
    }
}

}  // namespace

std::optional<RegFileError> ApplyRegFile(RegistryTree& tree, std::span<const std::uint8_t> bytes) {
    const DecodedFile file = Decode(bytes);
    std::vector<std::u16string_view> lines = SplitLines(file.text);
    if (file.truncatedUnit) {
        return RegFileError{static_cast<int>(lines.size()),
                            "the file ends in the middle of a UTF-16 character (an odd number of bytes)"};
    }
    const auto format = HeaderFormat(lines.front());
    if (!format) {
        return RegFileError{1, "the file does not start with the header \"" + std::string(kVersion5Header) +
                                   "\" or \"" + std::string(kRegedit4Header) + "\""};
    }
    // A refused file leaves nothing half-loaded. An empty tree (a machine
    // being loaded) is built while the file is read and emptied again if the
    // file is refused; any other tree is changed only after the whole file
    // was checked.
    if (IsEmpty(tree)) {
        Builder builder(tree);
        Parser parser(file, *format, std::move(lines), &builder);
        if (auto error = parser.Parse()) {
            MakeEmpty(tree);
            return error;
        }
        return std::nullopt;
    }
    Parser parser(file, *format, std::move(lines), nullptr);
    if (auto error = parser.Parse()) return error;
    Builder builder(tree);
    for (Operation& op : parser.operations()) builder.Apply(op);
    return std::nullopt;
}

void WriteRegFile(const RegistryTree& tree, RegFormat format, const RegFileSink& sink) {
    Writer(format, true, sink).Write(tree);
}

std::vector<std::uint8_t> WriteRegFile(const RegistryTree& tree, RegFormat format) {
    // The text is kept in its pieces until its length is known, then laid
    // out (and widened) once into a vector of the final size: no regrowth.
    std::vector<std::string> pieces;
    std::size_t length = 0;
    Writer(format, false, [&](std::span<const std::uint8_t> piece) {
        pieces.emplace_back(reinterpret_cast<const char*>(piece.data()), piece.size());
        length += piece.size();
    }).Write(tree);
    const bool wide = format == RegFormat::Version5;
    std::vector<std::uint8_t> bytes(wide ? 2 + length * 2 : length);
    std::uint8_t* out = bytes.data();
    if (wide) {
        *out++ = 0xFF;
        *out++ = 0xFE;
    }
    for (const std::string& piece : pieces) {
        if (!wide) {
            std::memcpy(out, piece.data(), piece.size());
            out += piece.size();
            continue;
        }
        for (const char c : piece) {
            const char16_t unit = kWidened[static_cast<std::uint8_t>(c)];
            out[0] = static_cast<std::uint8_t>(unit & 0xFF);
            out[1] = static_cast<std::uint8_t>(unit >> 8);
            out += 2;
        }
    }
    return bytes;
}

std::string FormatRegValueData(const RegValue& value) {
    return FormatRegValueData(value, RegFormat::Version5);
}

std::string FormatRegValueData(const RegValue& value, RegFormat format) {
    std::string out;
    AppendData(out, value, format, std::nullopt);
    return out;
}

std::vector<RegChange> DiffTrees(const RegistryTree& before, const RegistryTree& after) {
    std::vector<RegChange> changes;
    Differ differ(changes, nullptr);
    for (const std::string& rootName : RegistryTree::RootNames()) {
        std::string path = rootName;
        differ.Node(before.Root(rootName).get(), after.Root(rootName).get(), path, true);
    }
    return changes;
}

std::vector<RegChange> DiffSince(const RegistryBaseline& baseline, const RegistryTree& now) {
    std::vector<RegChange> changes;
    Differ differ(changes, &baseline);
    const auto names = RegistryTree::RootNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string path = names[i];
        differ.Node(baseline.roots()[i].get(), now.Root(names[i]).get(), path, true);
    }
    return changes;
}

}  // namespace veltra::sim
