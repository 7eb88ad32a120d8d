#include "app/NumericLocale.h"

#include <clocale>

namespace sorn {

void keepNumbersInCLocale() {
    const std::lconv* numbers = std::localeconv();
    const char* point = numbers ? numbers->decimal_point : nullptr;
    if (point && point[0] == '.' && point[1] == '\0' && numbers->thousands_sep[0] == '\0')
        return;
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace sorn
