// Free-standing text, date and code-page routines shared by the whole library,
// plus the general alert log. No state: every routine works on its arguments and
// none raises to its caller (bad input gives the empty text, the date 0 or the
// input unchanged).
//
// Texts are Unicode (QString) inside; fields are found by QString search, so a
// separator can never match inside a double-byte character. Dates are TDateTime
// (days since 1899-12-30, 0 = no date). Storage dates are YYYYMMDD texts, storage
// year-months YYYYMM.
#pragma once

#include <QString>

#include "kv/Variant.h"
#include "platform/DateTime.h"

namespace kv {

// ---- separated texts (fields numbered from 1) -----------------------------------
// An empty separator never occurs: the whole text is one field.

// Field n; empty when n < 1, the text is empty or has fewer than n fields. A
// separator at the very end leaves an empty last field.
QString FieldAt(const QString& text, const QString& separator, int n);
// 0 for an empty text, else the number of (non-overlapping) separators plus one,
// i.e. the number of fields FieldAt sees.
int FieldCount(const QString& text, const QString& separator);
// Returns the part before the first separator and leaves the part after it in
// text; without a separator returns the whole text and leaves text empty.
QString CutField(QString& text, const QString& separator);

// ---- values ---------------------------------------------------------------------

Variant IfThen(bool condition, const Variant& a, const Variant& b);
// True for an unassigned (Empty) or Null value.
bool IsEmptyValue(const Variant& value);

// Replaces old (case-sensitive) by new, rescanning from the start after each
// replacement, so "aabb" without "ab" is "". No replacement when old is empty or
// equals new ignoring case. When new contains old, or rescanning would make the
// text run away, each occurrence of the original text is replaced once instead.
// With trim, leading and trailing blanks and control characters are removed.
QString ReplaceAll(const QString& text, const QString& oldText, const QString& newText, bool trim);

// ---- dates ----------------------------------------------------------------------
// Date types: 1 Y-M-D, 2 M-D-Y, 3 D-M-Y (four-digit years), 4 and 5 Y-M-D with the
// Minguo year (year - 1911) of at least two resp. three digits.

// Empty for the date 0, a date outside 0001..9999 or an unknown type. Only the
// first character of separator is used.
QString FormatDate(int dateType, const QString& separator, TDateTime date);
QString FormatYearMonth(int dateType, const QString& separator, TDateTime date);
// The date a display text denotes; a day past the month's end runs into the next
// month. 0 for an empty, malformed or impossible text.
TDateTime ParseDisplayDate(const QString& text, int dateType, const QString& separator);
// The date of a YYYYMMDD text; 0 unless it is exactly eight characters forming a date.
TDateTime StorageToDate(const QString& text);
// True for the empty text and for eight digits forming a date (edition 9: within
// 17530101..99991231).
bool IsValidStorageDate(const QString& text);
// value: a storage-date text (String or Bytes) or a date (Date, Double, Int).
// unit "D", "M" or "Y" (any case). The shifted day as YYYYMMDD; empty for any
// other value kind, the date 0, another unit or a result outside 0001..9999.
QString ShiftDate(const Variant& value, const QString& unit, int n);
// The dynamic date shift of schemes and periodic jobs. base: YYYYMMDD, or YYYYMM
// (shorter than 7 characters: N1 months on, result YYYYMM). unitIndex "0" weeks,
// "1" months; modeIndex "0" plus N2 days, "1" first day, "2" last day of the
// reached week (Sunday..Saturday) or month. Empty for an invalid base, an unknown
// unit or mode, a number that is needed but is not a whole number, or a result
// outside 0001..9999.
QString ShiftDynamicDate(const QString& base, const QString& n1, const QString& unitIndex,
                         const QString& n2, const QString& modeIndex);
// 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// ---- environment and numbers ----------------------------------------------------

#if KV_EDITION != 7
// The temporary folder as its canonical path ending with '/'; empty when the
// folder does not exist.
QString TempDirectory();
#endif
// True exactly for "127.0.0.1".
bool IsLoopbackHost(const QString& host);
#if KV_EDITION != 7
// The finite number the whole text denotes ('.' decimal point, surrounding
// blanks allowed), else def.
double FloatOrDefault(const QString& text, double def);
#endif
// prefix, 0x03, list[0] (the count k), 0x03, then list[1..k] each followed by
// 0x03. Elements past the array's end are left out; a list that is not an array
// with an element 0 counts as "0" items.
QString CountedListText(const QString& prefix, const Variant& list);

// ---- code pages -----------------------------------------------------------------
// Unicode inside: only String values and elements become bytes, only Bytes become
// String; a String is never decoded again. Arrays: 1-D arrays recurse into array
// elements, 2-D arrays convert their elements without recursion. A text that
// cannot be converted is kept as it is and the failure goes to the alert log
// "libstrs". Empty and Null come back unchanged.

Variant WideToCodePage(const Variant& value, int codePage);
Variant CodePageToWide(const Variant& value, int codePage);

// ---- general alert log ----------------------------------------------------------

// Appends "[YYYY/MM/DD hh:nn:ss:zzz] text" to Log/Alert_<source>_<stamp>[.log] below
// the registry's "ClientPath" (else "ServerPath", else the executable's folder).
// period "D" stamp YYYYMMDD, "M" YYYYMM, "Y" YYYY, other YYYYMMDD; no ".log" when
// source contains ".". False, never an exception, when the line cannot be written
// or source holds a path separator.
bool WriteAlertLog(const QString& source, const QString& text, const QString& period);

}  // namespace kv
