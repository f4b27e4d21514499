// Build-time tool: turns the Markdown user guide into the help document the Help button opens.
// Usage: help_pdf GUIDE.md OUTPUT.pdf
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

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

    // The guide's pictures lie beside it. Printing lays out a copy of the document that would
    // look for them in the working folder, so they are handed over as loaded images.
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(guide).absolutePath() + QLatin1Char('/'));
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
            if (!image.isValid())
                continue;
            const QUrl name(image.name());
            const QImage picture(folder.resolved(name).toLocalFile());
            if (picture.isNull()) {
                std::fprintf(stderr, "help_pdf: cannot read %s\n", qPrintable(image.name()));
                return 1;
            }
            document.addResource(QTextDocument::ImageResource, name, picture);
        }
    }

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
