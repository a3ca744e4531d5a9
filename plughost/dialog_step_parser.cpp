// Reads the text of a dialog script into steps. Windows-free.
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdlib>

#include "plughost/dialog_steps.h"

namespace {

constexpr int kLargestControlId = 65535;  // control ids are 16-bit in a dialog template
constexpr int kLongestWaitMs = 600000;    // ten minutes: longer than any watchdog
constexpr int kLargestNotifyCode = 65535; // the high word of WM_COMMAND's wParam

// What follows a step's name.
enum class Arguments {
    None,
    OptionalControl,      // click [ID]
    Control,              // expect-focus ID
    ControlOptionalText,  // type ID [TEXT], expect-field ID [TEXT]
    ControlValue,         // drag ID VALUE, expect-slider ID VALUE
    ControlFlag,          // check ID 0|1
    ControlKey,           // key ID KEY
    ControlCode,          // notify ID CODE
    Text,                 // expect-caption TEXT
    DialogKey,            // press enter|escape
    Path,                 // shot FILE, open-file PATH
    PathOptionalKeep,     // save-file PATH [keep]
    Milliseconds,         // wait MS
};

struct StepSyntax {
    const char* name;
    StepKind kind;
    Arguments arguments;
};

const StepSyntax kStepSyntax[] = {
    {"type", StepKind::Type, Arguments::ControlOptionalText},
    {"drag", StepKind::Drag, Arguments::ControlValue},
    {"key", StepKind::Key, Arguments::ControlKey},
    {"click", StepKind::Click, Arguments::OptionalControl},
    {"click-window", StepKind::ClickWindow, Arguments::None},
    {"press", StepKind::Press, Arguments::DialogKey},
    {"check", StepKind::Check, Arguments::ControlFlag},
    {"expect-field", StepKind::ExpectField, Arguments::ControlOptionalText},
    {"expect-slider", StepKind::ExpectSlider, Arguments::ControlValue},
    {"expect-check", StepKind::ExpectCheck, Arguments::ControlFlag},
    {"expect-focus", StepKind::ExpectFocus, Arguments::Control},
    {"expect-selected", StepKind::ExpectSelected, Arguments::Control},
    {"expect-default", StepKind::ExpectDefault, Arguments::Control},
    {"expect-visible", StepKind::ExpectVisible, Arguments::ControlFlag},
    {"expect-caption", StepKind::ExpectCaption, Arguments::Text},
    {"expect-text", StepKind::ExpectText, Arguments::Text},
    {"expect-labels-fit", StepKind::ExpectLabelsFit, Arguments::None},
    {"notify", StepKind::Notify, Arguments::ControlCode},
    {"shot", StepKind::Shot, Arguments::Path},
    {"open-file", StepKind::OpenFile, Arguments::Path},
    {"save-file", StepKind::SaveFile, Arguments::PathOptionalKeep},
    {"cancel-file", StepKind::CancelFile, Arguments::None},
    {"wait", StepKind::Wait, Arguments::Milliseconds},
    {"print-window", StepKind::PrintWindow, Arguments::None},
    {"print-field", StepKind::PrintField, Arguments::Control},
    {"print-slider", StepKind::PrintSlider, Arguments::Control},
    {"gdi-count", StepKind::GdiCount, Arguments::None},
};

struct KeyName {
    const char* name;
    NamedKey key;
};

const KeyName kControlKeys[] = {
    {"right", NamedKey::Right}, {"left", NamedKey::Left},     {"up", NamedKey::Up},
    {"down", NamedKey::Down},   {"pageup", NamedKey::PageUp}, {"pagedown", NamedKey::PageDown},
    {"home", NamedKey::Home},   {"end", NamedKey::End},
};

const KeyName kDialogKeys[] = {{"enter", NamedKey::Enter}, {"escape", NamedKey::Escape}};

struct Word {
    std::string text;
    bool quoted = false;
};

std::string trim(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

// Steps end at ';' or a line end; a ';' inside quotes belongs to the text.
std::vector<std::string> splitSteps(const std::string& text) {
    std::vector<std::string> pieces;
    std::string current;
    bool inQuotes = false;
    for (char c : text) {
        if (c == '\n' || (c == ';' && !inQuotes)) {
            pieces.push_back(current);
            current.clear();
            inQuotes = false;
            continue;
        }
        if (c == '"') inQuotes = !inQuotes;
        current += c;
    }
    pieces.push_back(current);
    return pieces;
}

// Words are separated by blanks; a quoted word runs to the next quote and may be empty.
// There are no escapes, so Windows paths keep their backslashes.
bool splitWords(const std::string& step, std::vector<Word>& words, std::string& problem) {
    size_t at = 0;
    while (at < step.size()) {
        if (std::isspace(static_cast<unsigned char>(step[at]))) {
            ++at;
            continue;
        }
        Word word;
        if (step[at] == '"') {
            size_t close = step.find('"', at + 1);
            if (close == std::string::npos) {
                problem = "the quote is not closed";
                return false;
            }
            word.text = step.substr(at + 1, close - at - 1);
            word.quoted = true;
            at = close + 1;
        } else {
            size_t end = at;
            while (end < step.size() && !std::isspace(static_cast<unsigned char>(step[end]))) ++end;
            word.text = step.substr(at, end - at);
            at = end;
        }
        words.push_back(word);
    }
    return true;
}

bool parseInteger(const std::string& text, long low, long high, int& value) {
    if (text.empty()) return false;
    size_t digitsFrom = (text[0] == '-') ? 1 : 0;
    if (digitsFrom == text.size()) return false;
    for (size_t i = digitsFrom; i < text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    if (text.size() > 10) return false;  // beyond any int; strtol below would saturate
    long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

template <size_t N>
bool findKey(const KeyName (&table)[N], const std::string& name, NamedKey& key) {
    for (const KeyName& entry : table) {
        if (name == entry.name) {
            key = entry.key;
            return true;
        }
    }
    return false;
}

std::string keyNames(const KeyName* table, size_t count) {
    std::string names;
    for (size_t i = 0; i < count; ++i) names += (i ? "|" : "") + std::string(table[i].name);
    return names;
}

// Fills the step from the words after its name; problem says what is wrong.
bool readArguments(Arguments arguments, const std::vector<Word>& words, ScriptStep& step,
                   std::string& problem) {
    size_t given = words.size() - 1;  // words[0] is the step's name
    size_t next = 1;
    auto readControl = [&]() {
        if (next >= words.size()) {
            problem = "a control id is missing";
            return false;
        }
        if (!parseInteger(words[next].text, 0, kLargestControlId, step.controlId)) {
            problem = "\"" + words[next].text + "\" is not a control id (0 to 65535)";
            return false;
        }
        ++next;
        return true;
    };
    auto readRequired = [&](const char* what) {
        if (next >= words.size()) {
            problem = std::string(what) + " is missing";
            return false;
        }
        return true;
    };

    switch (arguments) {
        case Arguments::None:
            break;
        case Arguments::OptionalControl:
            if (given > 0 && !readControl()) return false;
            break;
        case Arguments::Control:
            if (!readControl()) return false;
            break;
        case Arguments::ControlOptionalText:
            if (!readControl()) return false;
            if (next < words.size()) {
                step.hasText = true;
                step.text = words[next++].text;
            }
            break;
        case Arguments::ControlValue:
            if (!readControl() || !readRequired("VALUE")) return false;
            if (!parseInteger(words[next].text, INT_MIN, INT_MAX, step.value)) {
                problem = "\"" + words[next].text + "\" is not a whole number";
                return false;
            }
            ++next;
            break;
        case Arguments::ControlFlag:
            if (!readControl() || !readRequired("0 or 1")) return false;
            if (!parseInteger(words[next].text, 0, 1, step.value)) {
                problem = "\"" + words[next].text + "\" is not 0 or 1";
                return false;
            }
            ++next;
            break;
        case Arguments::ControlKey:
            if (!readControl() || !readRequired("KEY")) return false;
            if (!findKey(kControlKeys, words[next].text, step.key)) {
                problem = "\"" + words[next].text + "\" is not one of " +
                          keyNames(kControlKeys, sizeof kControlKeys / sizeof kControlKeys[0]);
                return false;
            }
            ++next;
            break;
        case Arguments::ControlCode:
            if (!readControl() || !readRequired("CODE")) return false;
            if (!parseInteger(words[next].text, 0, kLargestNotifyCode, step.value)) {
                problem = "\"" + words[next].text + "\" is not a notification code (0 to 65535)";
                return false;
            }
            ++next;
            break;
        case Arguments::Text:
            if (!readRequired("TEXT")) return false;
            step.hasText = true;
            step.text = words[next++].text;
            break;
        case Arguments::DialogKey:
            if (!readRequired("enter or escape")) return false;
            if (!findKey(kDialogKeys, words[next].text, step.key)) {
                problem = "\"" + words[next].text + "\" is not enter or escape";
                return false;
            }
            ++next;
            break;
        case Arguments::Path:
        case Arguments::PathOptionalKeep:
            if (!readRequired("a file name")) return false;
            if (words[next].text.empty()) {
                problem = "the file name is empty";
                return false;
            }
            step.text = windowsPathOf(words[next++].text);
            if (arguments == Arguments::PathOptionalKeep && next < words.size()) {
                if (words[next].text != "keep" || words[next].quoted) {
                    problem = "\"" + words[next].text + "\" is not keep";
                    return false;
                }
                step.keepExisting = true;
                ++next;
            }
            break;
        case Arguments::Milliseconds:
            if (!readRequired("a time in milliseconds")) return false;
            if (!parseInteger(words[next].text, 0, kLongestWaitMs, step.value)) {
                problem =
                    "\"" + words[next].text + "\" is not a time in milliseconds (0 to 600000)";
                return false;
            }
            ++next;
            break;
    }
    if (next < words.size()) {
        problem =
            "\"" + words[next].text + "\" is one argument too many (quote a text with blanks)";
        return false;
    }
    return true;
}

bool parseStep(const std::string& source, ScriptStep& step, std::string& problem) {
    std::vector<Word> words;
    if (!splitWords(source, words, problem)) return false;
    for (const StepSyntax& syntax : kStepSyntax) {
        if (words[0].text == syntax.name && !words[0].quoted) {
            step.kind = syntax.kind;
            step.source = source;
            return readArguments(syntax.arguments, words, step, problem);
        }
    }
    problem = "unknown step \"" + words[0].text + "\"";
    return false;
}

}  // namespace

bool parseScriptSteps(const std::string& text, std::vector<ScriptStep>& steps, std::string& error) {
    steps.clear();
    for (const std::string& piece : splitSteps(text)) {
        std::string source = trim(piece);
        if (source.empty() || source[0] == '#') continue;
        ScriptStep step;
        std::string problem;
        if (!parseStep(source, step, problem)) {
            error = "step " + std::to_string(steps.size() + 1) + " \"" + source + "\": " + problem;
            steps.clear();
            return false;
        }
        steps.push_back(step);
    }
    return true;
}

bool isUserAction(StepKind kind) {
    switch (kind) {
        case StepKind::Type:
        case StepKind::Drag:
        case StepKind::Key:
        case StepKind::Click:
        case StepKind::ClickWindow:
        case StepKind::Press:
        case StepKind::Check:
        case StepKind::Notify:
            return true;
        default:
            return false;
    }
}

bool isFileAnswer(StepKind kind) {
    return kind == StepKind::OpenFile || kind == StepKind::SaveFile || kind == StepKind::CancelFile;
}

bool needsDialog(StepKind kind) {
    return !isFileAnswer(kind) && kind != StepKind::Wait && kind != StepKind::GdiCount;
}

std::string describeStep(const std::vector<ScriptStep>& steps, size_t index) {
    return "step " + std::to_string(index + 1) + " \"" + steps[index].source + "\"";
}

std::string windowsPathOf(const std::string& path) {
    bool linuxAbsolute = path.size() > 1 && path[0] == '/' && path[1] != '/';
    if (!linuxAbsolute) return path;
    std::string windowsPath = "Z:" + path;
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    return windowsPath;
}
