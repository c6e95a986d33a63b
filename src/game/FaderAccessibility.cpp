#include "game/FaderAccessibility.h"

#include "game/FaderView.h"
#include "model/GameState.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <algorithm>

QString FaderAccessibleName(const GameState& state, int fader)
{
    if (fader == VolumeFader)
        return FaderView::tr("Lautstärke");
    const BandSlot& slot = state.BandTable[fader];
    QString label = BandLabel(slot);
    if (slot.Frequency < 1000)
        return FaderView::tr("%1 Hz").arg(label);
    // "1k" is drawn with its k; the unit says it again.
    if (label.endsWith(QLatin1Char('k')))
        label.chop(1);
    return FaderView::tr("%1 kHz").arg(label);
}

QString FaderAccessibleDescription(const GameState& state, int fader)
{
    if (fader == VolumeFader || fader == NoFader || state.WrongTry[fader] == 0 ||
        state.BandTable[fader].Locked == 0)
        return {};
    if (state.WrongTryHint[fader] == 0 || state.RingingBand == NoFader)
        return FaderView::tr("Fehlversuch");
    return fader < state.RingingBand ? FaderView::tr("Fehlversuch, zu tief")
                                     : FaderView::tr("Fehlversuch, zu hoch");
}

namespace {

bool LockedOf(const GameState& state, int fader)
{
    return fader != VolumeFader && state.BandTable[fader].Locked != 0;
}

// One fader of the bank. It has no object of its own: it lives in Qt's
// accessibility cache, registered by the bank's interface, which removes it.
class FaderSliderAccessible final : public QAccessibleInterface, public QAccessibleValueInterface {
  public:
    FaderSliderAccessible(FaderView* view, int fader) : view_(view), fader_(fader) {}

    bool isValid() const override { return view_ && view_->ShownState() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return view_ ? QAccessible::queryAccessibleInterface(view_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text type) const override
    {
        if (!isValid())
            return {};
        if (type == QAccessible::Name)
            return FaderAccessibleName(*view_->ShownState(), fader_);
        if (type == QAccessible::Value)
            return QString::number(FaderLevel(*view_->ShownState(), fader_));
        if (type == QAccessible::Description)
            return FaderAccessibleDescription(*view_->ShownState(), fader_);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect area = view_->FaderArea(fader_);
        return QRect(view_->mapToGlobal(area.topLeft()), area.size());
    }
    QAccessible::Role role() const override { return QAccessible::Slider; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const GameState& game = *view_->ShownState();
        state.focusable = true;
        state.focused = game.SelectedFader == fader_;
        state.disabled = LockedOf(game, fader_);
        state.invisible = !view_->isVisible() || !view_->ShowsFaders();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return nullptr;
    }

    QVariant currentValue() const override
    {
        return isValid() ? QVariant(FaderLevel(*view_->ShownState(), fader_)) : QVariant();
    }
    void setCurrentValue(const QVariant& value) override
    {
        if (isValid())
            view_->RequestLevel(fader_, std::clamp(value.toInt(), MinLevel, MaxLevel));
    }
    QVariant maximumValue() const override { return MaxLevel; }
    QVariant minimumValue() const override { return MinLevel; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    QPointer<FaderView> view_;
    int fader_;
};

class FaderBankAccessible final : public QAccessibleWidget {
  public:
    explicit FaderBankAccessible(FaderView* view) : QAccessibleWidget(view, QAccessible::Grouping)
    {
    }
    ~FaderBankAccessible() override
    {
        for (QAccessible::Id id : ids_)
            if (id != 0)
                QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return Shown() ? int(ids_.size()) : 0; }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        QAccessible::Id& id = ids_[index];
        if (id == 0)
            id = QAccessible::registerAccessibleInterface(
                new FaderSliderAccessible(static_cast<FaderView*>(widget()), index));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        const auto at = std::find(ids_.begin(), ids_.end(), id);
        return at == ids_.end() ? -1 : int(at - ids_.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface* fader = child(i); fader->rect().contains(x, y))
                return fader;
        return nullptr;
    }

  private:
    bool Shown() const { return static_cast<FaderView*>(widget())->ShownState() != nullptr; }

    mutable std::array<QAccessible::Id, VolumeFader + 1> ids_{};
};

QAccessibleInterface* FaderBankFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("FaderView"))
        if (auto* view = qobject_cast<FaderView*>(object))
            return new FaderBankAccessible(view);
    return nullptr;
}

} // namespace

void InstallFaderAccessibility()
{
    static const bool installed = (QAccessible::installFactory(FaderBankFactory), true);
    Q_UNUSED(installed);
}

void FaderAnnouncer::AnnounceChange(QAccessibleInterface* slider, const Heard& before,
                                    const Heard& now)
{
    if (now.level != before.level) {
        QAccessibleValueChangeEvent event(slider, now.level);
        QAccessible::updateAccessibility(&event);
    }
    if (now.locked != before.locked || now.selected != before.selected) {
        QAccessible::State changed;
        changed.disabled = now.locked != before.locked;
        changed.focused = now.selected != before.selected;
        QAccessibleStateChangeEvent event(slider, changed);
        QAccessible::updateAccessibility(&event);
    }
    if (now.selected && !before.selected) {
        QAccessibleEvent event(slider, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void FaderAnnouncer::Announce(FaderView& view, const GameState& state)
{
    if (!QAccessible::isActive()) {
        known_ = false; // a tool that comes later starts from what it finds
        return;
    }
    QAccessibleInterface* bank = QAccessible::queryAccessibleInterface(&view);
    for (int fader = 0; fader <= VolumeFader; ++fader) {
        const Heard now{FaderLevel(state, fader), LockedOf(state, fader),
                        state.SelectedFader == fader};
        Heard& before = heard_[fader];
        QAccessibleInterface* slider = known_ && bank != nullptr ? bank->child(fader) : nullptr;
        if (slider != nullptr)
            AnnounceChange(slider, before, now);
        before = now;
    }
    known_ = true;
}
