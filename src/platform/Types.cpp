#include "platform/Types.h"

#include <QString>

namespace kv {

bool IdentToCursor(const QString& ident, int& cursor) {
    struct Entry {
        int Value;
        const char* Name;
    };
    static constexpr Entry kCursors[] = {
        {crDefault, "crDefault"},   {crNone, "crNone"},         {crArrow, "crArrow"},
        {crCross, "crCross"},       {crIBeam, "crIBeam"},       {crSizeAll, "crSizeAll"},
        {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},     {crSizeNWSE, "crSizeNWSE"},
        {crSizeWE, "crSizeWE"},     {crUpArrow, "crUpArrow"},   {crHourGlass, "crHourGlass"},
        {crDrag, "crDrag"},         {crNoDrop, "crNoDrop"},     {crHSplit, "crHSplit"},
        {crVSplit, "crVSplit"},     {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},
        {crNo, "crNo"},             {crAppStart, "crAppStart"}, {crHelp, "crHelp"},
        {crHandPoint, "crHandPoint"},
    };
    const QString t = ident.trimmed();
    for (const Entry& e : kCursors)
        if (t.compare(QLatin1String(e.Name), Qt::CaseInsensitive) == 0) {
            cursor = e.Value;
            return true;
        }
    return false;
}

}  // namespace kv
