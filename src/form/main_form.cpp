#include "form/main_form.h"

namespace quadrel {

MainForm::MainForm(SerialComponent& port, CableWindow& form4, Beeper& beeper)
    : MSComm1_(port), Form4_(form4), beeper_(beeper) {}

}  // namespace quadrel
