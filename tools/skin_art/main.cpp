// kv_skin_painter: draws every skin picture into OUT_DIR as <identifier>.png
// and writes OUT_DIR/mainskin.qrc, which lists each as /PNG/<identifier>
// for rcc. Run by the build on Qt's offscreen platform, so it needs no
// display.
//
//   kv_skin_painter OUT_DIR
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

#include "tools/skin_art/skin_art.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: kv_skin_painter OUT_DIR\n", stderr);
    return 2;
  }
  QGuiApplication application(argc, argv);
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "kv_skin_painter: cannot create %s\n", argv[1]);
    return 1;
  }
  QFile qrc(out.filePath(QStringLiteral("mainskin.qrc")));
  if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "kv_skin_painter: cannot write %s\n", qPrintable(qrc.fileName()));
    return 1;
  }
  QTextStream listing(&qrc);
  listing << "<RCC>\n  <qresource prefix=\"/PNG\">\n";
  for (const kv::skin_art::SkinPicture& picture : kv::skin_art::SkinPictures()) {
    const QString name = QString::number(picture.id);
    const QString file = out.filePath(name + QStringLiteral(".png"));
    if (!kv::skin_art::PaintSkinPicture(picture).save(file, "PNG")) {
      std::fprintf(stderr, "kv_skin_painter: cannot write %s\n", qPrintable(file));
      return 1;
    }
    listing << "    <file alias=\"" << name << "\">" << name << ".png</file>\n";
  }
  listing << "  </qresource>\n</RCC>\n";
  return 0;
}
