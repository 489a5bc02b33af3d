// The small piece of JSON the batch checker writes (one object per line) and reads back.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmora_check {

// A quoted JSON string; bytes that are not UTF-8 (file names need not be) become U+FFFD.
std::string JsonString(std::string_view text);

// Builds one object field by field, in the order added.
class JsonObject {
public:
    JsonObject& Add(std::string_view key, std::string_view text);
    JsonObject& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
    JsonObject& Add(std::string_view key, bool value);
    JsonObject& Add(std::string_view key, int value);
    JsonObject& Add(std::string_view key, long long value);
    JsonObject& Add(std::string_view key, double value);
    JsonObject& Add(std::string_view key, float value);  // written as the shortest float that reads back
    JsonObject& AddNull(std::string_view key);
    JsonObject& AddRaw(std::string_view key, std::string_view json);  // a nested value written already
    std::string Close() const { return text_ + "}"; }

private:
    JsonObject& Key(std::string_view key);
    std::string text_ = "{";
};

// A number as JSON writes it: the shortest text that reads back to the same value.
std::string JsonNumber(double value);
std::string JsonNumber(float value);

struct JsonValue;
using JsonArray = std::vector<JsonValue>;
using JsonMembers = std::map<std::string, JsonValue, std::less<>>;

struct JsonValue {
    std::variant<std::nullptr_t, bool, double, std::string, JsonArray, JsonMembers> value;

    bool IsNull() const { return std::holds_alternative<std::nullptr_t>(value); }
    const JsonValue* Member(std::string_view key) const;  // null when absent or not an object
    std::optional<double> Number() const;
    std::optional<bool> Bool() const;
    const std::string* String() const;
    const JsonArray* Array() const;
};

// Parses one complete JSON text (surrounding blanks allowed); nothing when it is not valid JSON.
std::optional<JsonValue> ParseJson(std::string_view text);

}  // namespace velmora_check
