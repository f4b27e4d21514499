// Build-time tool: turns the Markdown user guide into the help document the Help button opens.
// Usage: help_pdf GUIDE.md OUTPUT.pdf
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char** argv) {
    // A build machine has no desktop: lay the text out without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: help_pdf GUIDE.md OUTPUT.pdf\n");
        return 2;
    }
    QFile guide(QString::fromLocal8Bit(argv[1]));
    if (!guide.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "help_pdf: cannot read %s\n", argv[1]);
        return 1;
    }

    QTextDocument document;
    QFont body = document.defaultFont();
    body.setPointSize(10);
    document.setDefaultFont(body);
    document.setMarkdown(QString::fromUtf8(guide.readAll()), QTextDocument::MarkdownDialectGitHub);

    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setTitle(QStringLiteral("Vela Pole Display"));
    pdf.setCreator(QStringLiteral("Pole Display Setup"));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
    document.print(&pdf);
    if (!QFile::exists(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "help_pdf: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
