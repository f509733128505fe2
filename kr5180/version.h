// Title and version texts of the program, and the engineering build switch.
#pragma once

#include <QString>

// 0 in the dealer build, 1 in an engineering build (service controls shown, texts marked).
// A variable so that tests can exercise both builds.
extern int EngineeringBuild;

// "Navar KR5180 Programmer  PV4420.1.00 " (PV4420E... in an engineering build).
QString GetTitleText();
// "v1.00 ", followed by " (Engineering)" in an engineering build.
QString GetVersionText();
