#include "app/automation_hook.h"

#include "link/serial_link.h"
#include "support/monotonic_clock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace velmora {
namespace {

void report(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "velmora-event %.3f %s%s%s\n", monotonicMs(), what,
                 detail.isEmpty() ? "" : " ", qUtf8Printable(detail));
    std::fflush(stderr);
}

class AutomationHook : public QObject {
public:
    AutomationHook(QWidget& window, SerialLink& link, QString portAnswer)
        : QObject(&window), window_(window), portAnswer_(std::move(portAnswer)),
          commands_(STDIN_FILENO, QSocketNotifier::Read, this) {
        qApp->installEventFilter(this);
        connect(&commands_, &QSocketNotifier::activated, this, &AutomationHook::readCommands);
        connect(&link, &SerialLink::acknowledged, this, [] { report("programmed"); });
        connect(&link, &SerialLink::imageReceived, this, [] { report("image-handled"); });
        connect(&link, &SerialLink::recovered, this, [] { report("recovered"); });
        connect(&link, &SerialLink::portLost, this, [] { report("port-lost"); });
        connect(&link, &SerialLink::portBack, this, [] { report("port-back"); });
        // Only changes: a line per poll would be noise, and costs time while polling.
        connect(&link, &SerialLink::linkStatusChanged, this, [this](bool connected) {
            if (connected != connected_)
                report(connected ? "connected" : "disconnected");
            connected_ = connected;
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == &window_ && !windowPainted_) {
            windowPainted_ = true;
            report("window-painted");
        } else if (event->type() == QEvent::Paint && !promptAnswered_ &&
                   watched->objectName() == QLatin1String("PortPrompt")) {
            promptAnswered_ = true;
            report("prompt-painted");
            answerLater(qobject_cast<QInputDialog*>(watched));
        } else if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                report("notice", box->text());
                QTimer::singleShot(0, box, &QDialog::accept);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void answerLater(QInputDialog* prompt) {
        QTimer::singleShot(0, prompt, [prompt, answer = portAnswer_] {
            prompt->setTextValue(answer);
            prompt->accept();
        });
    }

    void readCommands() {
        char buffer[256];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            commands_.setEnabled(false);
            return;
        }
        pending_.append(buffer, static_cast<qsizetype>(count));
        for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending_.left(end)).trimmed();
            pending_.remove(0, end + 1);
            if (line.startsWith(QLatin1String("click ")))
                click(line.mid(6));
        }
    }

    void click(const QString& name) {
        auto* button = window_.findChild<QAbstractButton*>(name);
        report("clicked", name);
        if (button && button->isEnabled())
            button->click();
    }

    QWidget& window_;
    QString portAnswer_;
    QSocketNotifier commands_;
    QByteArray pending_;
    bool windowPainted_ = false;
    bool promptAnswered_ = false;
    bool connected_ = false;
};

} // namespace

void installAutomationHook(QWidget& window, SerialLink& link) {
    const QString answer = qEnvironmentVariable("VELMORA_AUTOMATION");
    if (answer.isEmpty())
        return;
    new AutomationHook(window, link, answer);
}

} // namespace velmora
