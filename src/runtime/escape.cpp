#include "runtime/escape.h"

#include <cstdio>

namespace routelet {

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      // Brackets too: a name holding "[filename]" must not be filled by a later placeholder.
      case '[': out += "&#91;"; break;
      case ']': out += "&#93;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string UrlPathSegmentEscape(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                            b == '-' || b == '.' || b == '_' || b == '~';
    if (unreserved) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 0xF]);
    }
  }
  return out;
}

std::string UrlPathEscape(std::string_view path) {
  std::string out;
  for (std::size_t from = 0;;) {
    const std::size_t slash = path.find('/', from);
    out += UrlPathSegmentEscape(path.substr(from, slash - from));
    if (slash == std::string_view::npos) return out;
    out.push_back('/');
    from = slash + 1;
  }
}

std::string TerminalEscape(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned code = static_cast<unsigned char>(text[i]);
    const bool c1 = code == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80;
    if (c1) {
      code = static_cast<unsigned char>(text[++i]);
    } else if (code >= 0x20 && code != 0x7F) {
      shown += text[i];
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, code == 0x1B ? "\\e" : "\\x%02x", code);
    shown += escaped;
  }
  return shown;
}

}  // namespace routelet
