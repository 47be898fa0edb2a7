#include "LevelDescription.h"

#include "TextFile.h"

namespace levelbuild {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }

// The words of one line; false with the reason when a quote is not closed.
bool splitWords(const WString& line, std::vector<WString>& words, std::string& why) {
    size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == u'#') break;
        WString word;
        if (line[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char16_t c = line[i++];
                if (c == u'"') {
                    closed = true;
                    break;
                }
                if (c == u'\\' && i < line.size() && (line[i] == u'"' || line[i] == u'\\')) {
                    word += line[i++];
                    continue;
                }
                word += c;
            }
            if (!closed) {
                why = "a quoted word is not closed";
                return false;
            }
            if (i < line.size() && !isBlank(line[i]) && line[i] != u'#') {
                why = "a quoted word runs into the next one";
                return false;
            }
        } else {
            while (i < line.size() && !isBlank(line[i]) && line[i] != u'#' && line[i] != u'"') word += line[i++];
            if (i < line.size() && line[i] == u'"') {
                why = "a quote in the middle of a word";
                return false;
            }
        }
        words.push_back(std::move(word));
    }
    return true;
}

}  // namespace

std::string describeError(const std::string& file, int line, const std::string& message) {
    // The message quotes the file's own text, which may hold any byte.
    return printable(file) + ":" + std::to_string(line) + ": " + printable(message);
}

bool parseDescription(std::string_view text, const std::string& file, LevelDescription& out, std::string& error) {
    out.file = file;
    out.blocks.clear();
    const std::vector<WString> lines = splitLines(narrowToWide(text));
    for (size_t n = 0; n < lines.size(); ++n) {
        const int number = static_cast<int>(n) + 1;
        const WString& line = lines[n];
        if (line.find(u'\uFFFD') != WString::npos) {
            error = describeError(file, number, "the line is not UTF-8 text");
            return false;
        }
        DescriptionLine parsed;
        parsed.number = number;
        std::string why;
        if (!splitWords(line, parsed.words, why)) {
            error = describeError(file, number, why);
            return false;
        }
        if (parsed.words.empty()) continue;
        if (!isBlank(line[0])) {
            out.blocks.push_back({std::move(parsed), {}});
        } else if (out.blocks.empty()) {
            error = describeError(file, number, "an indented line before the first block");
            return false;
        } else {
            out.blocks.back().lines.push_back(std::move(parsed));
        }
    }
    return true;
}

}  // namespace levelbuild
