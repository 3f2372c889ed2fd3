// corvane-make-samples OUTPUT_FOLDER [--manifest FILE]
//
// Writes the sample Applications folder and, on request, its manifest.
// Exit status: 0 on success, 1 when something could not be written, 2 for a
// wrong command line.
#include "samples/SampleCatalog.h"
#include "samples/SampleFolder.h"
#include "samples/SampleManifest.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

void printLine(std::FILE* stream, const QString& text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv)
{
    // The icons are painted with fonts, which need a GUI application; no
    // display is needed for that.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(u"corvane-make-samples"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Writes the sample Applications folder."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"OUTPUT_FOLDER"_s, u"The folder to write the bundles into."_s);
    const QCommandLineOption manifestOption(
        u"manifest"_s, u"Also write the JSON manifest of the bundles to FILE."_s, u"FILE"_s);
    parser.addOption(manifestOption);
    if (!parser.parse(QGuiApplication::arguments())) {
        printLine(stderr, parser.errorText());
        return 2;
    }
    if (parser.isSet(u"help"_s))
        parser.showHelp(0);
    if (parser.positionalArguments().size() != 1) {
        printLine(stderr, parser.helpText());
        return 2;
    }

    const QString folder = parser.positionalArguments().constFirst();
    const corvane::samples::WriteResult result = corvane::samples::writeSampleFolder(folder);
    if (!result.ok) {
        printLine(stderr, u"corvane-make-samples: "_s + result.error);
        return 1;
    }
    QString error;
    if (parser.isSet(manifestOption) &&
        !corvane::samples::writeSampleManifest(parser.value(manifestOption), &error)) {
        printLine(stderr, u"corvane-make-samples: "_s + error);
        return 1;
    }
    printLine(stdout, u"Wrote %1 bundles to %2"_s.arg(result.written.size()).arg(folder));
    return 0;
}
