#include "tools/vln/lsp/LspJson.h"

#include "tools/vln/reading/Utf8.h"

const Json* Member(const Json& object, std::string_view key) {
  if (!object.is_object()) return nullptr;
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

const std::string* StringMemberText(const Json& object, std::string_view key) {
  const Json* member = Member(object, key);
  if (member == nullptr || !member->is_string()) return nullptr;
  return &member->get_ref<const std::string&>();
}

std::optional<std::string> StringMember(const Json& object, std::string_view key) {
  const std::string* text = StringMemberText(object, key);
  if (text == nullptr) return std::nullopt;
  return *text;
}

std::optional<int64_t> IntegerMember(const Json& object, std::string_view key) {
  const Json* member = Member(object, key);
  if (member == nullptr) return std::nullopt;
  if (member->is_number_integer()) return member->get<int64_t>();
  if (member->is_number_unsigned()) {
    const auto value = member->get<uint64_t>();
    if (value > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<int64_t>(value);
  }
  return std::nullopt;
}

std::string Utf8Of(std::u16string_view text) { return Utf16ToUtf8(text); }

std::string JsonText(const Json& message) {
  return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}
