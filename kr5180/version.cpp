#include "version.h"

int EngineeringBuild = 0;

namespace {
const char* const RadioName = "KR5180";
const char* const PartNumber = "PV4420";
const char* const MajorVersion = "1";
const char* const MinorVersion = "00";
} // namespace

QString GetTitleText()
{
    QString text = QStringLiteral("Navar ") + RadioName + QStringLiteral(" Programmer  ") + PartNumber;
    if (EngineeringBuild == 1)
        text += QLatin1Char('E');
    text += QStringLiteral(".") + MajorVersion + QStringLiteral(".") + MinorVersion + QStringLiteral(" ");
    return text;
}

QString GetVersionText()
{
    QString text = QStringLiteral("v") + MajorVersion + QStringLiteral(".") + MinorVersion + QStringLiteral(" ");
    if (EngineeringBuild == 1)
        text += QStringLiteral(" (Engineering)");
    return text;
}
