// Text helpers shared by every store request and reply.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// Appends the fields of text cut at every delimiter byte: n delimiters give
// n + 1 fields, empty ones kept. The list is not cleared first.
void splitFields(const std::string& text, char delimiter, std::vector<std::string>& fields);
std::vector<std::string> splitFields(const std::string& text, char delimiter);

// Encodes a value for a form body: letters, digits and -_.!~*'() unchanged,
// space as '+', every other byte as %xx in lower-case hexadecimal.
std::string formEncode(const std::string& text);

std::string int64ToText(std::int64_t value);
std::string uint64ToText(std::uint64_t value);

// Copies at most capacity characters of text (a fixed-capacity record field).
std::string cutTo(const std::string& text, std::size_t capacity);

// The standard leading-number conversions (strtoll / strtoull with base 0 or 10,
// atoi); no number gives 0.
std::int64_t parseInt64Auto(const std::string& text);   // base 0: 0x hex, leading 0 octal
std::uint64_t parseUint64Auto(const std::string& text);
std::int64_t parseInt64Decimal(const std::string& text);
std::uint64_t parseUint64Decimal(const std::string& text);

bool startsWith(const std::string& text, const std::string& prefix);
std::string toLower(std::string text);

}  // namespace orvane
