#include "desktop/number_locale.h"

#include <clocale>

namespace nimbra {

void keepNumbersInThePointForm() {
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace nimbra
