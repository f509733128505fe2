#include "editor.h"

#include "main.h"

#include <platform/window.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTextEdit>
#include <algorithm>
#include <stdexcept>

// ---------------------------------------------------------------- help pane

THelpPane::THelpPane(QTextEdit* helpText, QObject* parent) : QObject(parent), helpText_(helpText)
{
    focusHandler_ = [this](QObject* s) { FocusHelp(s); };
    mouseHandler_ = [this](QObject* s) { MouseHelp(s); };
}

void THelpPane::Watch(QWidget* widget, QWidget* owner, bool focus, bool mouse)
{
    Binding& b = watched_[widget];
    b.owner = owner;
    b.focus = focus;
    b.mouse = mouse;
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    // A scroll area's viewport gets the mouse, not the area.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
        if (QWidget* vp = area->viewport(); vp && !watched_.contains(vp)) {
            watched_[vp] = b;
            vp->setMouseTracking(true);
            vp->installEventFilter(this);
        }
    }
}

void THelpPane::Bind(QWidget* control, const QString& sentence, bool mouseOnly)
{
    if (!control)
        return;
    sentences_[control] = sentence;
    Watch(control, control, !mouseOnly, true);
    for (QWidget* child : control->findChildren<QWidget*>()) {
        if (!watched_.contains(child))
            Watch(child, control, !mouseOnly, true);
    }
}

void THelpPane::BindSilent(QWidget* widget)
{
    if (widget)
        Watch(widget, widget, false, true);
}

QString THelpPane::SentenceFor(QObject* sender) const { return sentences_.value(sender); }

void THelpPane::FocusHelp(QObject* sender)
{
    if (!helpText_)
        return;
    helpText_->clear();
    const QString sentence = SentenceFor(sender);
    if (!sentence.isEmpty())
        helpText_->append(sentence);
}

void THelpPane::MouseHelp(QObject* sender) { FocusHelp(sender); }

void THelpPane::SetHandlers(Handler focusHelp, Handler mouseHelp)
{
    focusHandler_ = focusHelp ? std::move(focusHelp) : [this](QObject* s) { FocusHelp(s); };
    mouseHandler_ = mouseHelp ? std::move(mouseHelp) : [this](QObject* s) { MouseHelp(s); };
}

bool THelpPane::eventFilter(QObject* watched, QEvent* event)
{
    const auto it = watched_.constFind(watched);
    if (it == watched_.constEnd())
        return QObject::eventFilter(watched, event);
    const Binding b = it.value();
    switch (event->type()) {
    case QEvent::FocusIn:
        if (b.focus)
            focusHandler_(b.owner);
        break;
    case QEvent::MouseMove:
        if (b.mouse && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) {
            mouseHandler_(b.owner);
            // Handled here: the parent must not see it too and empty the pane again.
            return true;
        }
        break;
    case QEvent::Destroy:
        watched_.remove(watched);
        sentences_.remove(watched);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- editor protocol

TEditorForm::TEditorForm(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
}

TRadioImage& TEditorForm::image() const
{
    if (Image)
        return *Image;
    if (MainForm)
        return MainForm->RadioImage;
    throw std::logic_error("editor window without a radio image");
}

int TEditorForm::OptionByteIndex(int word, std::uint16_t mask)
{
    if (word < kr72map::WordOptions3 || word > kr72map::WordOptions6)
        return -1;
    return (word - kr72map::WordOptions3) * 2 + ((mask & 0xFF00) ? 1 : 0);
}

bool TEditorForm::OptionBit(int word, std::uint16_t mask) const
{
    const int i = OptionByteIndex(word, mask);
    if (i < 0)
        return false;
    const std::uint8_t m = (mask & 0xFF00) ? std::uint8_t(mask >> 8) : std::uint8_t(mask);
    return (OptionBytes[i] & m) != 0;
}

void TEditorForm::SetOptionBit(int word, std::uint16_t mask, bool on)
{
    const int i = OptionByteIndex(word, mask);
    if (i < 0)
        return;
    const std::uint8_t m = (mask & 0xFF00) ? std::uint8_t(mask >> 8) : std::uint8_t(mask);
    if (on)
        OptionBytes[i] |= m;
    else
        OptionBytes[i] &= std::uint8_t(~m);
}

void TEditorForm::ReadOptionBytes()
{
    const TRadioImage& img = image();
    for (int w = 0; w < 4; ++w) {
        const std::int32_t v = img.Get(kr72map::WordOptions3 + w);
        OptionBytes[2 * w] = std::uint8_t(v & 0xFF);
        OptionBytes[2 * w + 1] = std::uint8_t((v >> 8) & 0xFF);
    }
}

void TEditorForm::FormShow()
{
    const TRadioImage::Words words = image().Snapshot();
    std::copy(words.begin(), words.end(), ImageBackup.begin());
    ReadOptionBytes();
    LoadControls();
}

void TEditorForm::OKBtnClick()
{
    StoreControls();
    TRadioImage& img = image();
    for (int w = 0; w < 4; ++w)
        img.Set(kr72map::WordOptions3 + w, (std::int32_t(OptionBytes[2 * w + 1]) << 8) | OptionBytes[2 * w]);
}

void TEditorForm::CancelBtnClick()
{
    TRadioImage::Words words;
    std::copy(ImageBackup.begin(), ImageBackup.end(), words.begin());
    image().Assign(words);
}

void TEditorForm::BindOkCancel(QAbstractButton* ok, QAbstractButton* cancel)
{
    cancelButton_ = cancel;
    if (ok)
        connect(ok, &QAbstractButton::clicked, this, [this] {
            OKBtnClick();
            accept();
        });
    if (cancel)
        connect(cancel, &QAbstractButton::clicked, this, [this] {
            CancelBtnClick();
            reject();
        });
}

THelpPane* TEditorForm::SetHelpPane(QTextEdit* helpText)
{
    Help = new THelpPane(helpText, this);
    Help->BindSilent(this);
    if (helpText)
        Help->BindSilent(helpText);
    return Help;
}

void TEditorForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        platform::CentreOnScreen(this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void TEditorForm::keyPressEvent(QKeyEvent* event)
{
    // Escape is the Cancel button, not a silent close.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && cancelButton_) {
        cancelButton_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
