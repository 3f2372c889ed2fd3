#include "cli/survey/Output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace corvane::cli {

namespace {

QString csvField(const QString& s)
{
    QString quoted = s;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

void printTable(QTextStream& out, const QList<survey::MyController*>& records)
{
    qsizetype nameWidth = 4;
    for (const survey::MyController* r : records)
        nameWidth = std::max(nameWidth, r->string().size());
    out << QStringLiteral("Name").leftJustified(nameWidth) << "  Mode    Path\n";
    for (const survey::MyController* r : records)
        out << r->string().leftJustified(nameWidth) << "  " << modeName(*r).leftJustified(6) << "  "
            << r->urlPPath() << '\n';
    out << records.size() << (records.size() == 1 ? " app\n" : " apps\n");
}

}  // namespace

QString modeName(const survey::MyController& record)
{
    return record.flag3() ? QStringLiteral("i386") : QStringLiteral("x86_64");
}

void printRecords(QTextStream& out, const QList<survey::MyController*>& records, Format format)
{
    switch (format) {
    case Format::Table:
        printTable(out, records);
        return;
    case Format::Json: {
        QJsonArray array;
        for (const survey::MyController* r : records) {
            array.append(QJsonObject{{QStringLiteral("name"), r->string()},
                                     {QStringLiteral("path"), r->urlPPath()},
                                     {QStringLiteral("mode"), modeName(*r)}});
        }
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return;
    }
    case Format::Csv:
        out << "name,mode,path\r\n";
        for (const survey::MyController* r : records)
            out << csvField(r->string()) << ',' << modeName(*r) << ',' << csvField(r->urlPPath()) << "\r\n";
        return;
    }
}

}  // namespace corvane::cli
