#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

// The protocol's JSON. Objects keep their keys in the order they were made.
using Json = nlohmann::ordered_json;

// What a client sent, read without exceptions: nothing when the member is
// missing or of another type.
const Json* Member(const Json& object, std::string_view key);
std::optional<std::string> StringMember(const Json& object, std::string_view key);
// The same without the copy, for a whole document's text; valid while
// `object` is.
const std::string* StringMemberText(const Json& object, std::string_view key);
std::optional<int64_t> IntegerMember(const Json& object, std::string_view key);

// Story text in the protocol's UTF-8 and back. A lone surrogate, which no
// UTF-8 can hold, goes out as U+FFFD.
std::string Utf8Of(std::u16string_view text);

// The message as sent: compact, and never throwing on text that is not UTF-8.
std::string JsonText(const Json& message);
