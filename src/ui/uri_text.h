// Texts of links: percent-encoding for the mail link and reading file URIs.
#pragma once

#include <string>
#include <string_view>

// Every byte outside the unreserved characters (letters, digits, "-", ".", "_", "~")
// written as "%" and two upper-case hexadecimal digits, as mailto header values need.
std::string PercentEncode(std::string_view text);

// The path a file URI names ("file:///tmp/a%20b.bmp", "file://localhost/tmp/x.bmp"),
// percent-decoded; any other text is returned unchanged. A URI of another host, or one
// that decodes to a NUL byte, is no local path and is returned unchanged too.
std::string PathFromFileUri(std::string_view text);
