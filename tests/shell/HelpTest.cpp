// The help: pages whose links all lead somewhere, a help project that holds
// every page, and the launch with a CHM viewer, with only a browser, or with
// neither.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <ostream>

#include "shell/Help.h"
#include "shell/HelpViewer.h"

// Readable QStrings in failure messages and printed values.
inline std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QStringList EmbeddedPages() {
  QStringList pages;
  QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")}, QDir::Files);
  while (it.hasNext()) pages << it.next().mid(7);
  pages.sort();
  return pages;
}

QString ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Every href and src of every page points at an embedded file (or outside,
// which the pages never do), and every page can be reached from the start page.
TEST(HelpPages, EveryLinkAndPictureExistsAndEveryPageIsReachable) {
  const QStringList pages = EmbeddedPages();
  ASSERT_GE(pages.size(), 8) << pages.join(' ');
  ASSERT_TRUE(pages.contains(QStringLiteral("index.html")));
  const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"#]*)(?:#[^\"]*)?\""));
  QSet<QString> linked;
  for (const QString& page : pages) {
    const QString html = ReadAll(QStringLiteral(":/help/") + page);
    EXPECT_TRUE(html.contains(QStringLiteral("<title>"))) << page;
    for (auto m = ref.globalMatch(html); m.hasNext();) {
      const QString target = m.next().captured(1);
      if (target.isEmpty()) continue;
      EXPECT_FALSE(target.contains(QStringLiteral("://"))) << page << " links outside: " << target.toStdString();
      EXPECT_TRUE(QFileInfo::exists(QStringLiteral(":/help/") + target)) << page << " -> " << target.toStdString();
      linked.insert(target);
    }
  }
  for (const QString& page : pages) EXPECT_TRUE(linked.contains(page)) << page << " is linked from no page";
}

// The compiled help holds every page: the project's file list, its table of
// contents and the embedded pages name the same pages.
TEST(HelpPages, ProjectAndContentsListEveryPage) {
  const QString dir = QStringLiteral(ZUGGLE_HELP_DIR);
  const QString project = ReadAll(dir + QStringLiteral("/ZuggleDart.hhp"));
  const QString contents = ReadAll(dir + QStringLiteral("/toc.hhc"));
  ASSERT_FALSE(project.isEmpty());
  QStringList inProject;
  for (const QString& line : project.section(QStringLiteral("[FILES]"), 1).split('\n'))
    if (line.trimmed().endsWith(QStringLiteral(".html"))) inProject << line.trimmed();
  inProject.sort();
  EXPECT_EQ(inProject, EmbeddedPages());
  for (const QString& page : EmbeddedPages())
    EXPECT_TRUE(contents.contains(QStringLiteral("\"%1\"").arg(page))) << page << " missing in the contents";
}

TEST(HelpPages, UnpackWritesEveryFileOnceAndRepairsAChangedOne) {
  QTemporaryDir tmp;
  const QString folder = tmp.filePath(QStringLiteral("cache/help"));
  const QString index = UnpackHelpPages(folder);
  ASSERT_EQ(index, folder + QStringLiteral("/index.html"));
  QDirIterator it(QStringLiteral(":/help"), QDir::Files, QDirIterator::Subdirectories);
  int files = 0;
  while (it.hasNext()) {
    const QString source = it.next();
    QFile a(source), b(folder + source.mid(6));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly)) << source;
    EXPECT_EQ(a.readAll(), b.readAll()) << source;
    ++files;
  }
  EXPECT_GT(files, 10);

  // Unchanged files are not written again (a browser may be showing them).
  const QString page = folder + QStringLiteral("/levels.html");
  const QDateTime written = QFileInfo(page).lastModified();
  QThread::msleep(20);
  QFile damaged(folder + QStringLiteral("/keys.html"));
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
  damaged.write("old");
  damaged.close();
  EXPECT_EQ(UnpackHelpPages(folder), index);
  EXPECT_EQ(QFileInfo(page).lastModified(), written);
  EXPECT_EQ(ReadAll(folder + QStringLiteral("/keys.html")), ReadAll(QStringLiteral(":/help/keys.html")));
}

TEST(HelpPages, UnpackIntoAFolderThatCannotBeMadeGivesNothing) {
  EXPECT_EQ(UnpackHelpPages(QStringLiteral("/proc/zuggle/help")), QString());
}

// A PATH of our own with fake programs that write down their arguments.
class HelpLaunch : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(FTmp.isValid());
    FOldPath = qgetenv("PATH");
    FOldCache = qgetenv("XDG_CACHE_HOME");
    QDir().mkpath(Bin());
    // Only the fakes: a real viewer or opener installed on this machine must
    // not answer (the fakes call what they need by its full path).
    qputenv("PATH", Bin().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", FTmp.filePath(QStringLiteral("cache")).toLocal8Bit());
  }
  void TearDown() override {
    qputenv("PATH", FOldPath);
    if (FOldCache.isNull())
      qunsetenv("XDG_CACHE_HOME");
    else
      qputenv("XDG_CACHE_HOME", FOldCache);
  }
  QString Bin() const { return FTmp.filePath(QStringLiteral("bin")); }
  // A program on the test PATH that writes each argument on a line of <name>.args.
  void Fake(const QString& name) {
    QFile f(Bin() + '/' + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"%1.args.tmp\" && /bin/mv \"%1.args.tmp\" \"%1.args\"\n")
                .arg(FTmp.filePath(name))
                .toLocal8Bit());
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
  }
  // The arguments the fake program got, once it has run (waits up to 5 s).
  QStringList ArgsOf(const QString& name, int waitMs = 5000) {
    const QString file = FTmp.filePath(name + QStringLiteral(".args"));
    QElapsedTimer t;
    t.start();
    while (!QFileInfo::exists(file) && t.elapsed() < waitMs) QThread::msleep(10);
    const QString text = ReadAll(file);
    return text.isNull() ? QStringList() : text.split('\n', Qt::SkipEmptyParts);
  }
  QString Chm() {
    // A folder with a blank in its name: the path must reach the viewer whole.
    const QString dir = FTmp.filePath(QStringLiteral("Zuggle Dart"));
    QDir().mkpath(dir);
    QFile f(dir + QStringLiteral("/ZuggleDart.chm"));
    if (f.open(QIODevice::WriteOnly)) f.write("ITSF");
    return f.fileName();
  }
  QTemporaryDir FTmp;
  QByteArray FOldPath, FOldCache;
};

TEST_F(HelpLaunch, ViewerOnPathGetsTheChmPathAsOneArgument) {
  Fake(QStringLiteral("xchm"));
  Fake(QStringLiteral("xdg-open"));
  const QString chm = Chm();
  HelpBtnClick(chm);
  EXPECT_EQ(ArgsOf(QStringLiteral("xchm")), QStringList{chm});
  EXPECT_TRUE(ArgsOf(QStringLiteral("xdg-open"), 300).isEmpty()) << "the browser only when no viewer starts";
}

TEST_F(HelpLaunch, SecondViewerIsTriedWhenTheFirstIsMissing) {
  Fake(QStringLiteral("kchmviewer"));
  const QString chm = Chm();
  HelpBtnClick(chm);
  EXPECT_EQ(ArgsOf(QStringLiteral("kchmviewer")), QStringList{chm});
}

TEST_F(HelpLaunch, WithoutViewerTheBrowserGetsTheUnpackedPages) {
  Fake(QStringLiteral("xdg-open"));
  HelpBtnClick(Chm());
  const QStringList args = ArgsOf(QStringLiteral("xdg-open"));
  // The per-user cache below XDG_CACHE_HOME, in the application's folder.
  const QString index = FTmp.filePath(QStringLiteral("cache/%1/help/index.html").arg(QCoreApplication::applicationName()));
  ASSERT_EQ(args.size(), 1);
  EXPECT_EQ(QUrl(args[0]).toLocalFile().toStdString(), index.toStdString());
  EXPECT_TRUE(ReadAll(index) == ReadAll(QStringLiteral(":/help/index.html")));
}

TEST_F(HelpLaunch, MissingHelpFileGoesStraightToTheBrowser) {
  Fake(QStringLiteral("xchm"));
  Fake(QStringLiteral("xdg-open"));
  HelpBtnClick(FTmp.filePath(QStringLiteral("nowhere/ZuggleDart.chm")));
  EXPECT_EQ(ArgsOf(QStringLiteral("xdg-open")).size(), 1);
  EXPECT_TRUE(ArgsOf(QStringLiteral("xchm"), 300).isEmpty()) << "a viewer would only show an error";
}

// Nothing installed at all: nothing happens, nothing is shown, no exception.
TEST_F(HelpLaunch, NothingInstalledIsSilent) {
  EXPECT_FALSE(StartChmViewer(Chm()));
  EXPECT_NO_THROW(HelpBtnClick(Chm()));
  EXPECT_TRUE(QDir(Bin()).entryList(QDir::Files).isEmpty());
}

}  // namespace
