// Builds the study database from the bank's JSON sources, or a large synthetic bank:
//   mkbank --sources DIR --out FILE [--complete] [--papers N]
//   mkbank --synthetic COUNT --out FILE
#include "data/bankbuilder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Builds the study database."_s);
    parser.addHelpOption();
    const QCommandLineOption sources(u"sources"_s, u"Folder of the JSON sources."_s, u"dir"_s);
    const QCommandLineOption synthetic(u"synthetic"_s, u"Build a synthetic bank of N questions."_s,
                                       u"n"_s);
    const QCommandLineOption out(u"out"_s, u"Database file to write."_s, u"file"_s);
    const QCommandLineOption complete(
        u"complete"_s, u"Refuse a question without explanation or exam point."_s);
    const QCommandLineOption papers(
        u"papers"_s, u"Refuse a bank that cannot fill N different papers of every kind."_s, u"n"_s);
    parser.addOptions({sources, synthetic, out, complete, papers});
    parser.process(app);
    if (!parser.isSet(out) || parser.isSet(sources) == parser.isSet(synthetic))
        parser.showHelp(2);

    BankBuilder::Options options;
    options.complete = parser.isSet(complete);
    if (parser.isSet(papers)) {
        bool ok = false;
        options.papers = parser.value(papers).toInt(&ok);
        if (!ok || options.papers < 1) {
            std::fprintf(stderr, "mkbank: --papers takes a whole number of at least 1\n");
            return 2;
        }
    }
    QString error;
    const bool ok = parser.isSet(sources)
                        ? BankBuilder::build(parser.value(sources), parser.value(out), &error,
                                             options)
                        : BankBuilder::buildSynthetic(parser.value(synthetic).toInt(),
                                                      parser.value(out), &error);
    if (!ok) {
        std::fprintf(stderr, "mkbank: %s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}
