#pragma once

#include <string>

// printf-style formatting of a short command text. Texts of up to 31
// characters are built in a 32-byte stack buffer; longer ones (only possible
// with extreme numbers) are formatted again at their full length instead of
// being cut or overflowing.
std::string formatCommand(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
