// Picture file names as they stand in the page: lower-cased, and made safe
// for an unquoted URL attribute or for visible text.
#pragma once

#include <string>
#include <string_view>

// Lower-cases ASCII letters and percent-encodes every byte that would end
// an unquoted attribute value or change the URL's meaning (blank, quotes,
// < > = ` # % ? & : \, control characters and bytes of 128 and above).
std::string PageUrlName(std::string_view fileName);

// Lower-cases ASCII letters and writes & < > as character references.
std::string PageTextName(std::string_view fileName);
