#include <cctype>
#include <charconv>
#include <sstream>

#include "engine/platform/headless/input_script.h"
#include "engine/platform/backend.h"
#include "engine/platform/platform_messages.h"

namespace qt::platform {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool keyByName(const std::string& name, uint32_t& key) {
    // clang-format off
    static const struct {
        const char* name;
        uint32_t key;
    } named[] = {
        {"space", vk::space}, {"enter", vk::enter}, {"esc", vk::escape}, {"f5", vk::f5}, {"f11", vk::f11}, {"f12", vk::f12},
        {"separator", vk::separator}, {"left", vk::left}, {"right", vk::right}, {"up", vk::up},
        {"down", vk::down}, {"alt", vk::alt}, {"pad-a", vk::padA}, {"pad-b", vk::padB}, {"pad-back", vk::padBack},
    };
    // clang-format on
    const std::string n = lower(name);
    for (const auto& k : named) {
        if (n == k.name) {
            key = k.key;
            return true;
        }
    }
    if (n.size() == 1 && std::isalnum(static_cast<unsigned char>(n[0]))) {
        key = static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(n[0])));
        return true;
    }
    return false;
}

bool wholeNumber(const std::string& word, long long min, long long max, long long& out) {
    if (word.empty()) return false;
    const char* end = word.data() + word.size();
    auto [p, ec] = std::from_chars(word.data(), end, out);
    return ec == std::errc() && p == end && out >= min && out <= max;
}

// Parses one non-blank, non-comment line; returns the error text or null.
const Message* parseLine(const std::string& line, ScriptedInput& in) {
    std::istringstream words(line);
    std::string time, event, a, b, extra;
    words >> time >> event;
    long long value = 0;
    if (!wholeNumber(time, 0, UINT32_MAX, value)) return &msg::scriptBadTime;
    in.atMs = static_cast<uint32_t>(value);
    event = lower(event);
    if (event == "key" || event == "down" || event == "up") {
        in.kind = event == "key"    ? ScriptedInput::Kind::key
                  : event == "down" ? ScriptedInput::Kind::down
                                    : ScriptedInput::Kind::up;
        if (!(words >> a)) return &msg::scriptUnknownKey;
        if (in.kind == ScriptedInput::Kind::key && lower(a).starts_with("alt+")) {
            in.alt = true;
            a.erase(0, 4);
        }
        if (!keyByName(a, in.key)) return &msg::scriptUnknownKey;
    } else if (event == "pad") {
        in.kind = ScriptedInput::Kind::key;
        if (!(words >> a) || !keyByName("pad-" + a, in.key)) return &msg::scriptUnknownKey;
    } else if (event == "wheel") {
        in.kind = ScriptedInput::Kind::wheel;
        words >> a;
        a = lower(a);
        if (a == "down") in.steps = 1;
        else if (a == "up") in.steps = -1;
        else return &msg::scriptBadWheel;
    } else if (event == "drag") {
        in.kind = ScriptedInput::Kind::drag;
        std::string c, d;
        long long v[4] = {};
        words >> a >> b >> c >> d;
        const std::string* parts[4] = {&a, &b, &c, &d};
        for (int i = 0; i < 4; ++i)
            if (!wholeNumber(*parts[i], INT32_MIN, INT32_MAX, v[i])) return &msg::scriptBadDrag;
        in.x = static_cast<int>(v[0]);
        in.y = static_cast<int>(v[1]);
        in.x2 = static_cast<int>(v[2]);
        in.y2 = static_cast<int>(v[3]);
    } else if (event == "focus") {
        words >> a;
        a = lower(a);
        if (a == "in") in.kind = ScriptedInput::Kind::focusIn;
        else if (a == "out") in.kind = ScriptedInput::Kind::focusOut;
        else return &msg::scriptBadFocus;
    } else if (event == "click" || event == "shift-click" || event == "right-click") {
        in.kind = event == "click"         ? ScriptedInput::Kind::click
                  : event == "shift-click" ? ScriptedInput::Kind::shiftClick
                                           : ScriptedInput::Kind::rightClick;
        long long x = 0, y = 0;
        words >> a >> b;
        if (!wholeNumber(a, INT32_MIN, INT32_MAX, x) || !wholeNumber(b, INT32_MIN, INT32_MAX, y))
            return &msg::scriptBadPoint;
        in.x = static_cast<int>(x);
        in.y = static_cast<int>(y);
    } else {
        return &msg::scriptUnknownEvent;
    }
    if (words >> extra) return &msg::scriptTrailing;
    return nullptr;
}

}  // namespace

bool parseInputScript(const std::string& text, std::vector<ScriptedInput>& out, int& errorLine, std::string& error) {
    out.clear();
    errorLine = 0;
    error.clear();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        ScriptedInput in;
        if (const Message* problem = parseLine(line, in)) {
            errorLine = number;
            error = problem->utf8();
            error += ": ";
            error += line;
            out.clear();
            return false;
        }
        out.push_back(in);
    }
    return true;
}

}  // namespace qt::platform
