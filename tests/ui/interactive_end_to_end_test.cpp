// The interactive program end to end: the real tarnwatch on a virtual X
// display (Xvfb). The window comes up; a second start ends with 1 once the
// first has come forward (it answers only then; "-hide", which leaves the
// first alone: single_instance_test); a start whose skin bundle is missing
// ends with 0 and shows nothing; without a display it can reach the start
// says so and ends with 1. A silent run shows its boxes on the display (on
// the console, the tools' tarnwatch tests).
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "ui_test_support.h"

namespace kv::testing {
namespace {

constexpr int kProcessWaitMilliseconds = 60'000;
constexpr int kWindowLookups = 600;  // at 100 ms each: a minute at most

class VirtualDisplay {
 public:
  VirtualDisplay() {
    server_.start(QStringLiteral("Xvfb"),
                  QStringLiteral("-displayfd 1 -screen 0 800x800x24 -nolisten tcp").split(u' '));
    if (!server_.waitForStarted(kProcessWaitMilliseconds)) return;
    while (!server_.canReadLine() && server_.waitForReadyRead(kProcessWaitMilliseconds)) {
    }
    const QByteArray number = server_.readLine().trimmed();
    if (!number.isEmpty()) name_ = QStringLiteral(":") + QString::fromLatin1(number);
  }
  ~VirtualDisplay() {
    server_.terminate();
    server_.waitForFinished(kProcessWaitMilliseconds);
  }
  const QString& Name() const { return name_; }

  // How many top-level windows bear `title`; with `await`, once one has
  // come up or after a minute.
  int WindowsTitled(const QString& title, bool await = false) const {
    for (int lookup = 0;; ++lookup) {
      QProcess xwininfo;
      xwininfo.start(QStringLiteral("xwininfo"), QStringLiteral("-root -tree -display").split(u' ')
                                                     << name_);
      xwininfo.waitForFinished(kProcessWaitMilliseconds);
      const int count = QString::fromLocal8Bit(xwininfo.readAllStandardOutput())
                            .count(QStringLiteral("\"") + title + QStringLiteral("\""));
      if (!await || count > 0 || lookup == kWindowLookups) return count;
      QThread::msleep(100);
    }
  }

 private:
  QProcess server_;
  QString name_;
};

QProcessEnvironment ProgramEnvironment(const QString& display,
                                       const std::filesystem::path& prefix) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}) environment.remove(name);
  environment.insert(QStringLiteral("DISPLAY"), display);
  environment.insert(QStringLiteral("KESTRELVOX_PREFIX"), QString::fromStdString(prefix.string()));
  environment.insert(QStringLiteral("KESTRELVOX_SCREEN"), QStringLiteral("240x320"));
  // Qt's and the X libraries' own allocations outlive a sanitizer build's
  // leak check; the exit code is what the test reads.
  environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
  return environment;
}

// Starts tarnwatch; its stderr is forwarded unless the caller reads it.
void Start(QProcess& program, const QProcessEnvironment& environment, const QStringList& arguments,
           bool readErrors = false) {
  program.setProcessEnvironment(environment);
  if (!readErrors) program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(QStringLiteral(KV_TARNWATCH_PATH), arguments);
}

// The exit code; `errors`, when given, gets the stderr.
int RunToEnd(const QProcessEnvironment& environment, const QStringList& arguments,
             QByteArray* errors = nullptr) {
  QProcess program;
  Start(program, environment, arguments, errors != nullptr);
  if (!program.waitForFinished(kProcessWaitMilliseconds)) return -1000;
  if (errors != nullptr) *errors = program.readAllStandardError();
  return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1001;
}

// A silent run's box is a window on the display too: an over-long CAB
// path makes the CAB check show one "Error" box, which waits for its OK.
TEST(InteractiveEndToEnd, OneWindowComesUpASecondStartEndsWithOneAndASilentRunShowsItsBox) {
  for (const char* tool : {"Xvfb", "xwininfo"}) {
    if (QStandardPaths::findExecutable(tool).isEmpty())
      GTEST_SKIP() << "Xvfb and xwininfo are needed (scripts/install-deps.sh installs them)";
  }
  VirtualDisplay display;
  ASSERT_FALSE(display.Name().isEmpty());
  SkinnedPrefix prefix;
  const QProcessEnvironment environment = ProgramEnvironment(display.Name(), prefix.Path());
  const QString title = QStringLiteral("Kestrelvox");

  QProcess first;
  Start(first, environment, {});
  ASSERT_TRUE(first.waitForStarted(kProcessWaitMilliseconds));
  ASSERT_EQ(display.WindowsTitled(title, true), 1);

  EXPECT_EQ(RunToEnd(environment, {}), 1);
  EXPECT_FALSE(first.waitForFinished(0));  // the first instance goes on

  TempPrefix bare;
  const QProcessEnvironment unskinned = ProgramEnvironment(display.Name(), bare.Path());
  EXPECT_EQ(RunToEnd(unskinned, {}), 0);
  EXPECT_EQ(display.WindowsTitled(title), 1);
  first.terminate();
  EXPECT_TRUE(first.waitForFinished(kProcessWaitMilliseconds));

  QProcess silent;
  Start(silent, unskinned,
        {QStringLiteral("\\") + QString(300, QLatin1Char('x')) + QStringLiteral(".cab")});
  ASSERT_TRUE(silent.waitForStarted(kProcessWaitMilliseconds));
  EXPECT_EQ(display.WindowsTitled(QStringLiteral("Error"), true), 1);
  EXPECT_FALSE(silent.waitForFinished(0));
  silent.kill();
  silent.waitForFinished(kProcessWaitMilliseconds);
}

// Without a display, or with one named that nobody serves, the start says
// so in one line and ends with 1, rather than Qt aborting the process.
TEST(InteractiveEndToEnd, WithoutAReachableDisplayTheStartSaysSoAndEndsWithOne) {
  const SkinnedPrefix prefix;
  // An empty DISPLAY names none.
  for (const auto& [display, line] :
       {std::pair{"", "tarnwatch: no display"},
        std::pair{":4093", "tarnwatch: the display cannot be reached"}}) {
    SCOPED_TRACE(display);
    QByteArray errors;
    EXPECT_EQ(
        RunToEnd(ProgramEnvironment(QString::fromLatin1(display), prefix.Path()), {}, &errors), 1);
    EXPECT_TRUE(errors.contains(line));
  }
}

}  // namespace
}  // namespace kv::testing
