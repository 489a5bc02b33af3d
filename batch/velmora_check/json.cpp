#include "json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "utf8.h"

namespace velmora_check {

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : ValidUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

namespace {

template <typename Number>
std::string ShortestNumber(Number value)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return {buffer, result.ptr};
}

}  // namespace

std::string JsonNumber(double value) { return ShortestNumber(value); }

std::string JsonNumber(float value) { return ShortestNumber(value); }

JsonObject& JsonObject::Key(std::string_view key)
{
    if (text_.size() > 1)
        text_ += ", ";
    text_ += JsonString(key);
    text_ += ": ";
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view text)
{
    Key(key).text_ += JsonString(text);
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, bool value)
{
    Key(key).text_ += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, int value)
{
    Key(key).text_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, long long value)
{
    Key(key).text_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, double value)
{
    Key(key).text_ += JsonNumber(value);
    return *this;
}

JsonObject& JsonObject::Add(std::string_view key, float value)
{
    Key(key).text_ += JsonNumber(value);
    return *this;
}

JsonObject& JsonObject::AddNull(std::string_view key)
{
    Key(key).text_ += "null";
    return *this;
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json)
{
    Key(key).text_ += json;
    return *this;
}

const JsonValue* JsonValue::Member(std::string_view key) const
{
    const auto* members = std::get_if<JsonMembers>(&value);
    if (!members)
        return nullptr;
    const auto found = members->find(key);
    return found == members->end() ? nullptr : &found->second;
}

std::optional<double> JsonValue::Number() const
{
    if (const auto* number = std::get_if<double>(&value))
        return *number;
    return std::nullopt;
}

std::optional<bool> JsonValue::Bool() const
{
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag;
    return std::nullopt;
}

const std::string* JsonValue::String() const { return std::get_if<std::string>(&value); }

const JsonArray* JsonValue::Array() const { return std::get_if<JsonArray>(&value); }

namespace {

// Recursive descent over the text; the depth limit keeps a hostile line from exhausting the stack.
// Values are built in place, in storage the caller owns.
class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    bool Document(JsonValue& out)
    {
        if (!Value(0, out))
            return false;
        SkipBlanks();
        return pos_ == text_.size();
    }

private:
    static constexpr int kMaxDepth = 64;

    void SkipBlanks()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' ||
                                       text_[pos_] == '\r'))
            ++pos_;
    }

    bool Take(char c)
    {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool TakeWord(std::string_view word)
    {
        if (text_.substr(pos_, word.size()) != word)
            return false;
        pos_ += word.size();
        return true;
    }

    bool Value(int depth, JsonValue& out)
    {
        if (depth > kMaxDepth)
            return false;
        SkipBlanks();
        if (pos_ >= text_.size())
            return false;
        const char c = text_[pos_];
        if (c == '{')
            return Object(depth, out.value.emplace<JsonMembers>());
        if (c == '[')
            return Array(depth, out.value.emplace<JsonArray>());
        if (c == '"')
            return String(out.value.emplace<std::string>());
        if (TakeWord("true"))
            out.value = true;
        else if (TakeWord("false"))
            out.value = false;
        else if (TakeWord("null"))
            out.value = nullptr;
        else
            return Number(out.value.emplace<double>());
        return true;
    }

    bool Object(int depth, JsonMembers& members)
    {
        ++pos_;
        if (Take('}'))
            return true;
        do {
            SkipBlanks();
            std::string key;
            JsonValue value;
            if (!String(key) || !Take(':') || !Value(depth + 1, value))
                return false;
            members.insert_or_assign(std::move(key), std::move(value));
        } while (Take(','));
        return Take('}');
    }

    bool Array(int depth, JsonArray& items)
    {
        ++pos_;
        if (Take(']'))
            return true;
        do {
            if (!Value(depth + 1, items.emplace_back()))
                return false;
        } while (Take(','));
        return Take(']');
    }

    bool Number(double& number)
    {
        // JSON's grammar is narrower than from_chars': no leading '+', no bare '.', no hex.
        const std::size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-')
            ++pos_;
        if (pos_ >= text_.size() || text_[pos_] < '0' || text_[pos_] > '9')
            return false;
        const auto result = std::from_chars(text_.data() + start, text_.data() + text_.size(), number);
        if (result.ec != std::errc())
            return false;
        pos_ = static_cast<std::size_t>(result.ptr - text_.data());
        return true;
    }

    static void AppendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::optional<unsigned> Hex4()
    {
        if (pos_ + 4 > text_.size())
            return std::nullopt;
        unsigned code = 0;
        const auto result = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16);
        if (result.ptr != text_.data() + pos_ + 4)
            return std::nullopt;
        pos_ += 4;
        return code;
    }

    bool String(std::string& out)
    {
        if (pos_ >= text_.size() || text_[pos_] != '"')
            return false;
        ++pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size())
                return false;
            switch (text_[pos_++]) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                auto code = Hex4();
                if (!code)
                    return false;
                if (*code >= 0xD800 && *code < 0xDC00 && TakeWord("\\u")) {
                    const auto low = Hex4();
                    if (!low || *low < 0xDC00 || *low >= 0xE000)
                        return false;
                    *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
                } else if (*code >= 0xD800 && *code < 0xE000) {
                    *code = 0xFFFD;  // a lone surrogate has no UTF-8 form
                }
                AppendUtf8(out, *code);
                break;
            }
            default: return false;
            }
        }
        return false;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text)
{
    JsonValue value;
    if (!Parser(text).Document(value))
        return std::nullopt;
    return value;
}

}  // namespace velmora_check
