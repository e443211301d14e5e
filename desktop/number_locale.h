#pragma once

namespace nimbra {

// Numbers are printed and read in one form everywhere, with a point ("1013.8 hpa"), as
// the dialogs, the exports and the uploads always have; QApplication takes every other
// part of the user's locale (dates, times) from the environment. Call right after the
// QApplication is made, which sets the C library's locale from the environment.
void keepNumbersInThePointForm();

}  // namespace nimbra
