// The station selection in a page's query ("p_ti=NAME"). Browsers send the form value percent-encoded in the
// page's code page (Windows-1251) and a typed address in UTF-8, so a query is compared in every form a name can
// arrive in: as received, and form-decoded read as Windows-1251 and as UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace iec {

// Percent-decoding ("%D0" -> one octet); with plus_is_space, "+" becomes a blank as in form data. Nothing for a
// "%" not followed by two hexadecimal digits.
std::optional<std::string> PercentDecode(std::string_view text, bool plus_is_space);

class WebQuery {
public:
    explicit WebQuery(std::string_view raw);

    bool Empty() const { return raw_.empty(); }
    // True when the query, in one of its forms, is exactly text (UTF-8), e.g. "p_ti=all".
    bool Is(std::string_view text) const;
    // True when the query is exactly key + "=" + value in one of its forms.
    bool Is(std::string_view key, std::string_view value) const;

private:
    std::string raw_;
    std::vector<std::string> forms_;  // raw_ first, then the decoded forms that differ from it
};

}  // namespace iec
