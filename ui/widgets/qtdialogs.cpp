#include "ui/widgets/qtdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>

namespace quorvel {

namespace {

QString title()
{
    return QStringLiteral("Quorvel");
}

// A message may name what it is about, and a hostile name can be megabytes long: no screen shows
// such a label, and laying it out stopped the window for minutes. Of an overlong message the
// start (the name) and the end (what is wrong) are shown, with an ellipsis for the middle.
constexpr qsizetype LongestMessage = 1000;
constexpr qsizetype ShownEnd = 200;

// Messages break their lines with CR LF; a label wants "\n".
QString shown(const QString &text)
{
    QString label = text;
    label.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (label.size() <= LongestMessage)
        return label;
    qsizetype start = LongestMessage - ShownEnd;
    qsizetype end = label.size() - ShownEnd;
    // Never cut a character that takes two UTF-16 units in half.
    if (label.at(start - 1).isHighSurrogate())
        --start;
    if (label.at(end).isLowSurrogate())
        ++end;
    return label.left(start) + u'\u2026' + label.mid(end);
}

// A QProgressDialog that appears once the task has lasted a second, application-modal, so that
// while it shows only it takes the user's input; before that, input waits for the task's end.
class ShownProgress : public Progress
{
public:
    explicit ShownProgress(QString label)
        : m_label(std::move(label)), m_parent(QApplication::activeWindow())
    {
        m_sinceStart.start();
    }
    ~ShownProgress() override { delete m_dialog; }

    void setProgress(int done, int total) override
    {
        m_done = done;
        m_total = total;
    }
    void keepServed() override
    {
        if (!m_dialog && m_sinceStart.elapsed() >= 1000)
            show();
        if (m_dialog) {
            m_dialog->setMaximum(m_total);
            m_dialog->setValue(m_done);
            QCoreApplication::processEvents();
        }
    }
    bool stopRequested() override { return m_dialog && m_dialog->wasCanceled(); }

private:
    void show()
    {
        m_dialog = new QProgressDialog(m_label, QStringLiteral("停止"), 0, m_total, m_parent);
        m_dialog->setWindowTitle(title());
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->show();
    }

    QString m_label;
    QPointer<QWidget> m_parent;
    QElapsedTimer m_sinceStart;
    QPointer<QProgressDialog> m_dialog;
    int m_done = 0;
    int m_total = 0;
};

} // namespace

std::unique_ptr<Progress> QtDialogs::startProgress(const QString &label)
{
    return std::make_unique<ShownProgress>(label);
}

std::optional<SaveTarget> QtDialogs::saveFileName(const QString &suggested,
                                                  const QStringList &fileTypes)
{
    QString chosenType = fileTypes.value(0);
    const QString path = QFileDialog::getSaveFileName(
        QApplication::activeWindow(), title(), suggested, fileTypes.join(QStringLiteral(";;")),
        &chosenType, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    return SaveTarget{path, int(std::max<qsizetype>(0, fileTypes.indexOf(chosenType)))};
}

namespace {

// The buttons say it in Chinese whether or not Qt's own translation could be loaded; a question
// may name its own captions for Yes, No and Cancel.
int askWith(const QString &text, QMessageBox::StandardButtons buttons,
            const Dialogs::Captions &named = {})
{
    QMessageBox box(QMessageBox::NoIcon, title(), shown(text), buttons,
                    QApplication::activeWindow());
    const struct
    {
        QMessageBox::StandardButton button;
        const char16_t *caption;
        QString named;
    } captions[] = {{QMessageBox::Ok, u"确定", QString()},
                    {QMessageBox::Yes, u"是", named.yes},
                    {QMessageBox::No, u"否", named.no},
                    {QMessageBox::Cancel, u"取消", named.cancel}};
    for (const auto &[button, caption, namedCaption] : captions) {
        if (QAbstractButton *shownButton = box.button(button))
            shownButton->setText(namedCaption.isEmpty() ? QString::fromUtf16(caption)
                                                        : namedCaption);
    }
    if (buttons & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    return box.exec();
}

} // namespace

void QtDialogs::message(const QString &text)
{
    askWith(text, QMessageBox::Ok);
}

bool QtDialogs::question(const QString &text)
{
    return askWith(text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

Dialogs::Choice QtDialogs::questionWithCancel(const QString &text)
{
    return questionWithCaptions(text, {});
}

Dialogs::Choice QtDialogs::questionWithCaptions(const QString &text, const Captions &captions)
{
    switch (askWith(text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, captions)) {
    case QMessageBox::Yes:
        return Choice::Yes;
    case QMessageBox::No:
        return Choice::No;
    default:
        return Choice::Cancel;
    }
}

bool QtDialogs::input(QString &text)
{
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title());
    box.setOkButtonText(QStringLiteral("确定"));
    box.setCancelButtonText(QStringLiteral("取消"));
    if (box.exec() != QDialog::Accepted)
        return false;
    text = box.textValue();
    return true;
}

} // namespace quorvel
