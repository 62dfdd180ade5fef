// Formatted text as the installer expands it for property values, with no
// record fields:
// - [NAME] is the property's value ("" when unset); [%NAME] an environment
//   variable; [#File] and [!File] a file's full target path; [$Component] the
//   component's target folder;
// - [\x] is the single character x (anything after it up to the ']' is
//   dropped) and [~] a null character; neither is expanded further;
// - references nest and resolve from the inside out: [[P]] is the value of the
//   property whose name is P's value; a value put in is never scanned again;
// - {text} with no reference inside stays as written, braces included; a group
//   whose references all have a value loses its braces; a group with a
//   reference that has no value disappears with everything in it, and takes
//   an enclosing group with it;
// - a '[' or '{' with no partner, a stray ']' or '}', and "[]" stay as text.
#include "platform/sim/engine/format.h"

#include <optional>
#include <string>

namespace veltra::sim::engine {
namespace {

// Beyond this nesting, brackets and braces are taken as plain text; no real
// package nests more than two or three deep.
constexpr int kMaxDepth = 64;

// What a stretch of text found while it was expanded, for the group rules.
struct Scope {
    int references = 0;
    bool missing = false;
};

// The ']' closing the '[' at `open`, counting nested brackets; a backslash
// takes the next character literally (so "[\]]" closes at the second ']').
std::size_t MatchingBracket(std::string_view text, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '\\' && i > open) {
            ++i;
        } else if (text[i] == '[') {
            ++depth;
        } else if (text[i] == ']' && --depth == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::size_t MatchingBrace(std::string_view text, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '{') {
            ++depth;
        } else if (text[i] == '}' && --depth == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

class Formatter {
public:
    explicit Formatter(const SessionView& session) : session_(session) {}

    std::string Expand(std::string_view text, Scope& scope, int depth) const {
        std::string out;
        out.reserve(text.size());
        std::size_t i = 0;
        while (i < text.size()) {
            const char c = text[i];
            const bool opens = (c == '[' || c == '{') && depth < kMaxDepth;
            const std::size_t close = !opens ? std::string_view::npos
                                    : c == '[' ? MatchingBracket(text, i)
                                               : MatchingBrace(text, i);
            if (close == std::string_view::npos) {
                out += c;
                ++i;
                continue;
            }
            const std::string_view inner = text.substr(i + 1, close - i - 1);
            out += c == '[' ? Reference(inner, scope, depth + 1) : Group(inner, scope, depth + 1);
            i = close + 1;
        }
        return out;
    }

private:
    std::string Reference(std::string_view inner, Scope& scope, int depth) const {
        if (inner.empty()) return "[]";
        ++scope.references;
        if (inner.front() == '\\') return inner.size() > 1 ? std::string(1, inner[1]) : std::string();
        if (inner == "~") return std::string(1, '\0');

        Scope nested;
        const std::string key = Expand(inner, nested, depth);
        std::optional<std::string> value;
        const std::string_view rest = key.empty() ? std::string_view() : std::string_view(key).substr(1);
        switch (key.empty() ? '\0' : key.front()) {
        case '%': value = session_.Environment(rest); break;
        case '#':
        case '!': value = session_.FilePath(rest); break;
        case '$': value = session_.ComponentFolder(rest); break;
        default: value = key.empty() ? std::nullopt : session_.Property(key); break;
        }
        if (!value || value->empty()) {
            scope.missing = true;
            return {};
        }
        return *value;
    }

    std::string Group(std::string_view inner, Scope& scope, int depth) const {
        Scope group;
        std::string expanded = Expand(inner, group, depth);
        if (group.references == 0) return "{" + expanded + "}";
        scope.references += group.references;
        if (group.missing) {
            scope.missing = true;
            return {};
        }
        return expanded;
    }

    const SessionView& session_;
};

}  // namespace

std::string FormatText(std::string_view text, const SessionView& session) {
    Scope top;
    return Formatter(session).Expand(text, top, 0);
}

}  // namespace veltra::sim::engine
