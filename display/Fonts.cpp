#include "display/Fonts.h"

#include <QFont>
#include <QFontDatabase>

namespace {
const QString ComicFamily = QStringLiteral("Comic Neue");
const QString SansFamily = QStringLiteral("Liberation Sans");
bool Registered = false;
}  // namespace

void RegisterGameFonts() {
  if (Registered) return;
  Registered = true;
  for (const char* file : {":/fonts/ComicNeue-Regular.otf", ":/fonts/ComicNeue-Bold.otf",
                           ":/fonts/LiberationSans-Regular.ttf", ":/fonts/LiberationSans-Bold.ttf"})
    QFontDatabase::addApplicationFont(QString::fromLatin1(file));
  // Widgets that name the faces themselves (style sheets, dialogs) get the same fonts.
  QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), ComicFamily);
  QFont::insertSubstitution(QStringLiteral("ComicSansMS"), ComicFamily);
  QFont::insertSubstitution(QStringLiteral("Arial"), SansFamily);
}

QString GameFontFamily(const QString& faceName) {
  QString compact = faceName;
  compact.remove(QLatin1Char(' '));
  if (compact.compare(QStringLiteral("ComicSansMS"), Qt::CaseInsensitive) == 0) return ComicFamily;
  return SansFamily;
}
