#include "web/web_html.h"

namespace iec {

std::string JoinWebLines(const WebLines& lines) {
    size_t size = 0;
    for (const std::string& l : lines) size += l.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& l : lines) {
        text += l;
        text += "\r\n";
    }
    return text;
}

std::string HtmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string HtmlAttrValue(std::string_view text) {
    bool plain = !text.empty();
    for (const char c : text) {
        // The characters that end or break an unquoted attribute value.
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '"' || c == '\'' || c == '=' ||
            c == '<' || c == '>' || c == '`' || c == '&') {
            plain = false;
            break;
        }
    }
    if (plain) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    out += '"';
    return out;
}

std::string TableCell(std::string_view text) {
    std::string cell;
    cell.reserve(text.size() + 9);
    cell += "<td>";
    cell += text;
    cell += "</td>";
    return cell;
}

std::string TableRowStart(int n) { return n % 2 != 0 ? "<tr class=\"even\" >" : "<tr class=\"odd\" >"; }

}  // namespace iec
