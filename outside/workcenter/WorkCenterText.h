// Small helpers shared by the work-center objects: Variants to and from Qt values,
// member names and argument checks of late-bound calls.
#pragma once

#include <QString>
#include <QVariant>

#include <string>
#include <string_view>
#include <vector>

#include "kv/Automation.h"
#include "kv/Variant.h"

namespace kv::workcenter {

// A scalar as text. Bytes are single-byte text from the dialog: UTF-8 when they are
// valid UTF-8, else GB18030 (a superset of code page 936). Empty and Null give "".
QString TextOf(const Variant& v);
Variant VariantOf(const QString& s);
// A column value of a query: NULL stays Null, integers that fit are Int, BLOBs are Bytes.
Variant FromSql(const QVariant& v);

// A flag as the dialog may send it: Boolean, number, or "Y"/"T"/"True"/"1".
bool FlagOf(const Variant& v);

// The elements of a parameter array in index order; a scalar is one parameter;
// Empty and Null are none. A nested array raises EOleError.
std::vector<Variant> ParamList(const Variant& params, const std::string& what);
// Element i (0-based from the array's low bound) of a 1-D array; Empty when missing.
const Variant& Item(const Variant& array, int i);
int ItemCount(const Variant& array);

bool SameName(std::string_view a, std::string_view b);
bool IsPropertyRead(InvokeKind kind, const std::vector<Variant>& args);
bool IsPropertyWrite(InvokeKind kind, const std::vector<Variant>& args);
// Methods are called as methods or, as late binding allows, as reads with arguments.
void RequireArgs(const std::string& member, InvokeKind kind, const std::vector<Variant>& args, std::size_t least,
                 std::size_t most);
[[noreturn]] void NoSuchMember(const std::string& object, const std::string& member);

std::string Utf8(const QString& s);

}  // namespace kv::workcenter
