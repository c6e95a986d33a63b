#include "game/HearingCheckDialog.h"

#include "journal/BandNames.h"
#include "model/BandSlot.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QPushButton* AddButton(QBoxLayout* row, const QString& text, const QString& description)
{
    auto* button = new QPushButton(text);
    button->setAccessibleName(text);
    button->setAccessibleDescription(description);
    // Enter stays with "hörbar" (or the end's own default) wherever the focus is.
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

QLabel* AddText(QBoxLayout* column, const QString& text = {})
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setAccessibleName(text);
    column->addWidget(label);
    return label;
}

QString MenuText(const CutMenuItem& item)
{
    return QCoreApplication::translate("MainMenu", item.text);
}

template <std::size_t N>
const CutMenuItem& ItemFor(const std::array<CutMenuItem, N>& items, int band)
{
    return *std::find_if(items.begin(), items.end(),
                         [band](const CutMenuItem& item) { return item.band == band; });
}

} // namespace

HearingCheckDialog::HearingCheckDialog(const GameState& state, WaveOut& wave, QWidget* owner,
                                       int stepMs)
    : QDialog(owner), check_(state, wave, stepMs)
{
    setWindowTitle(tr("Hörtest"));
    setModal(true);
    setMinimumWidth(440);
    stepTimer_.setInterval(check_.StepMs());
    auto* layout = new QVBoxLayout(this);
    pages_ = new QStackedWidget(this);
    layout->addWidget(pages_);

    auto* checkPage = new QWidget;
    auto* checkColumn = new QVBoxLayout(checkPage);
    AddText(checkColumn,
            tr("„hörbar“ drücken, sobald der Ton zu hören ist. Jedes Band beginnt bei -60 dBFS "
               "und wird alle %1 s um 5 dB lauter, bis zum Pegel des Spieltons.")
                .arg(GermanNumbers().toString(check_.StepMs() / 1000.0, 'g', 3)));
    levelDisplay_ = AddText(checkColumn);
    QFont large = levelDisplay_->font();
    if (large.pointSizeF() > 0)
        large.setPointSizeF(large.pointSizeF() * 1.4);
    large.setBold(true);
    levelDisplay_->setFont(large);
    const QString referenceHint =
        tr("Pegelreferenz: Rosa Rauschen im Pegel des Spieltons, so laut wie ein Gespräch "
           "einstellen.");
    AddText(checkColumn, referenceHint);
    auto* checkButtons = new QHBoxLayout;
    checkColumn->addLayout(checkButtons);
    audible_ = AddButton(checkButtons, tr("hörbar"),
                         tr("Der Ton ist zu hören; weiter mit dem nächsten Band."));
    audible_->setAutoDefault(true);
    audible_->setDefault(true);
    reference_ = AddButton(checkButtons, tr("Pegelreferenz"), referenceHint);
    reference_->setCheckable(true);
    cancel_ = AddButton(checkButtons, tr("Abbrechen"), tr("Den Hörtest ohne Ergebnis beenden."));
    pages_->addWidget(checkPage);

    auto* resultPage = new QWidget;
    auto* resultColumn = new QVBoxLayout(resultPage);
    resultText_ = AddText(resultColumn);
    resultText_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* resultButtons = new QHBoxLayout;
    resultColumn->addLayout(resultButtons);
    take_ = AddButton(resultButtons, tr("Übernehmen"),
                      tr("Lowcut und Highcut auf den Vorschlag setzen."));
    close_ =
        AddButton(resultButtons, tr("Schließen"), tr("Lowcut und Highcut bleiben, wie sie sind."));
    pages_->addWidget(resultPage);

    connect(&stepTimer_, &QTimer::timeout, &check_, &HearingCheck::Step);
    connect(&check_, &HearingCheck::levelChanged, this, &HearingCheckDialog::ShowLevel);
    connect(&check_, &HearingCheck::finished, this, &HearingCheckDialog::ShowResult);
    // The box waits until the check's own call has returned.
    connect(&check_, &HearingCheck::deviceFailed, this, &HearingCheckDialog::ReportFailure,
            Qt::QueuedConnection);
    connect(audible_, &QPushButton::clicked, &check_, &HearingCheck::Heard);
    connect(reference_, &QPushButton::toggled, this, &HearingCheckDialog::PlayReference);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(take_, &QPushButton::clicked, this, [this] {
        accepted_ = check_.Result().OfferedCut();
        accept();
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void HearingCheckDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (check_.CurrentPhase() != HearingCheck::Phase::Idle)
        return;
    audible_->setFocus();
    check_.Start();
}

void HearingCheckDialog::done(int result)
{
    stepTimer_.stop();
    check_.Stop();
    QDialog::done(result);
}

void HearingCheckDialog::SetDisplay(QLabel* label, const QString& text)
{
    label->setText(text);
    // Screen readers hear the change through the name.
    label->setAccessibleName(text);
}

void HearingCheckDialog::ShowLevel(int band, int step)
{
    const QString text = tr("Band %1 von %2: %3, %4 dBFS")
                             .arg(band + 1)
                             .arg(BandCount)
                             .arg(BandName(band))
                             .arg(qRound(HearingCheck::Levels()[std::size_t(step)]));
    SetDisplay(levelDisplay_, text);
    // The focus rests on "hörbar": its description says what rings.
    audible_->setAccessibleDescription(text);
    if (step == 0)
        stepTimer_.start();
}

void HearingCheckDialog::PlayReference(bool on)
{
    if (on) {
        stepTimer_.stop();
        audible_->setEnabled(false);
        SetDisplay(levelDisplay_, tr("Pegelreferenz: Rosa Rauschen"));
        check_.SetReferencePlaying(true);
        return;
    }
    audible_->setEnabled(true);
    audible_->setFocus();
    check_.SetReferencePlaying(false);
}

void HearingCheckDialog::ShowResult()
{
    stepTimer_.stop();
    const HearingResult& result = check_.Result();
    QStringList missing;
    for (int band : result.MissingBands())
        missing << BandName(band);
    QString text = missing.isEmpty()
                       ? tr("Mit dieser Wiedergabe sind alle %1 Bänder hörbar.").arg(BandCount)
                       : tr("Mit dieser Wiedergabe nicht hörbar: %1.").arg(missing.join(", "));
    const std::optional<CutRange> offer = result.OfferedCut();
    if (offer) {
        text +=
            QLatin1Char('\n') + tr("Vorschlag im Menü „Einstellung“: Lowcut %1, Highcut %2.")
                                    .arg(MenuText(ItemFor(LowCutMenuItems, offer->lowCutBand)),
                                         MenuText(ItemFor(HighCutMenuItems, offer->highCutBand)));
    } else {
        text += QLatin1Char('\n') +
                tr("Kein Paar aus Lowcut und Highcut lässt alle diese Bänder aus dem Spiel.");
    }
    SetDisplay(resultText_, text);
    take_->setEnabled(offer.has_value());
    QPushButton* answer = offer ? take_ : close_;
    answer->setDefault(true);
    // The result is read with the button the focus lands on.
    answer->setAccessibleDescription(text);
    pages_->setCurrentIndex(1);
    answer->setFocus();
}

void HearingCheckDialog::ReportFailure(const QString& operation, const QString& text)
{
    stepTimer_.stop();
    const bool broken = check_.CurrentPhase() == HearingCheck::Phase::Failed;
    QMessageBox::critical(this, operation,
                          broken ? tr("%1\nDer Hörtest wurde abgebrochen.").arg(text) : text);
    if (broken)
        reject();
}
