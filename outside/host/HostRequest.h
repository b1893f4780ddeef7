// The host request kvhost hands to ApplyRequest, from the command line: a JSON
// file holding [Mode, [IsScheme, [entries, data]]] and/or the Mode alone.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "kv/Variant.h"

namespace kv::host {

// JSON to Variant: arrays become arrays indexed from 0, whole numbers that fit 32
// bits integers, other numbers doubles, null Null. Objects have no Variant form
// and are refused. nullopt with the reason in *error for text that is not JSON.
std::optional<Variant> VariantFromJson(const QByteArray& json, QString* error);

// The request to apply: the file's request (empty file name: none) with its Mode
// replaced by `mode` when given; the Mode alone makes [Mode, [True, [[], []]]],
// a request that names no component and so only asks for the Mode's action.
// nullopt with *error when neither is given (error empty) or the file is unusable.
std::optional<Variant> BuildHostRequest(const QString& file, std::optional<int> mode, QString* error);

// The argument ApplyRequest takes: the request is its element 1.
Variant ApplyRequestParams(const Variant& request);

}  // namespace kv::host
