// The survey list printed as a table, JSON or CSV.
#pragma once

#include "survey/engine/ApplicationRecord.h"

#include <QList>
#include <QString>
#include <QTextStream>

namespace corvane::cli {

enum class Format { Table, Json, Csv };

// "i386" when the record launches as 32-bit code, "x86_64" otherwise.
QString modeName(const survey::MyController& record);

// JSON: an array, in list order, of objects with exactly "name", "path" and
// "mode". CSV: a header line, then one quoted line per record.
void printRecords(QTextStream& out, const QList<survey::MyController*>& records, Format format);

}  // namespace corvane::cli
