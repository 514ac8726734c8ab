#include "app/SelectionPanel.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>

#include "controls/Label.h"
#include "controls/Messages.h"
#include "controls/Slider.h"

namespace {

constexpr int kRowTop = 23;
constexpr int kRowPitch = 22;
constexpr int kRowHeight = 20;
constexpr int kNameLeft = 164;
constexpr int kNameWidth = 56;
constexpr int kValueControlLeft = 224;
constexpr int kValueLabelWidth = 40;
constexpr int kValueLabelBuffer = 255;  // characters of a value label's text
constexpr int kEditBuffer = 999;        // characters of an edit box's text

// "Amp A: 0 to 255, default 128"; the name in full, as its label may be cut.
QString RowToolTip(const Param& param, const Param* prototype) {
    const QString name = QString::fromStdString(param.name);
    const QString fallback = prototype ? QString::fromStdString(prototype->GetText()) : QString();
    if (!param.isNumeric) return QStringLiteral("%1: text, default \"%2\"").arg(name, fallback);
    return QStringLiteral("%1: %2 to %3, default %4")
        .arg(name)
        .arg(param.GetMin())
        .arg(param.GetMax())
        .arg(fallback);
}

// The same parameter of the node type's prototype: its value is the default.
const Param* PrototypeParam(const NodeRegistry* registry, const Node& node, size_t i) {
    if (!registry) return nullptr;
    for (const auto& prototype : registry->prototypes())
        if (prototype->typeId == node.typeId && i < prototype->params.size())
            return &prototype->param(i);
    return nullptr;
}

Label* MakeLabel(QWidget* parent, const QRect& place, const QString& text) {
    auto* label = new Label(parent);
    label->setGeometry(place);
    label->show();
    label->SetText(text);
    return label;
}

QWidget* MakeSlider(QWidget* parent, const QRect& place, const Param& param) {
    auto* slider = new Slider(parent);
    slider->setGeometry(place);
    slider->show();
    // The value first: setting the range then clamps it.
    MessageEvent setValue(MSG_SLIDER_SET_VALUE, param.GetValue());
    QCoreApplication::sendEvent(slider, &setValue);
    MessageEvent setRange(MSG_SLIDER_SET_RANGE, param.GetMin(), param.GetMax());
    QCoreApplication::sendEvent(slider, &setRange);
    return slider;
}

QLineEdit* MakeEditBox(QWidget* parent, const QRect& place, const Param& param) {
    auto* edit = new QLineEdit(QString::fromStdString(param.GetText()).left(kEditBuffer), parent);
    edit->setGeometry(place);
    edit->show();
    return edit;
}

void DestroyAll(std::vector<QPointer<QWidget>>& list) {
    for (auto& widget : list) delete widget.data();
    list.clear();
}

}  // namespace

QString ValueLabelText(const std::string& text) {
    return QString::fromStdString(text.substr(0, kValueLabelBuffer));
}

QString DescribeCable(const Cable& cable) {
    auto name = [](const std::string& s) { return QString::fromStdString(s); };
    return QStringLiteral("Cable from '%1' of '%2' to '%3' of '%4'")
        .arg(name(cable.first->name), name(cable.first->owner->name), name(cable.second->name),
             name(cable.second->owner->name));
}

void SelectionPanel::Clear() {
    ++generation_;
    DestroyAll(state_.valueControls);
    DestroyAll(state_.nameLabels);
    DestroyAll(state_.valueLabels);
}

void SelectionPanel::ShowNothing() {
    state_.selectionTitle->setText(QStringLiteral("none"));
    state_.selection.Show({});
    if (shown) shown();
}

QRect SelectionPanel::GroupRect() const {
    return state_.selectionGroup->geometry();
}

void SelectionPanel::BuildNodePanel(Node* node) {
    Clear();
    if (!node) return ShowNothing();
    const QRect group = GroupRect();
    for (size_t i = 0; i < node->params.size(); ++i)
        AddRow(node->param(i), PrototypeParam(state_.registry.get(), *node, i),
               group.top() + kRowTop + kRowPitch * static_cast<int>(i), group.width());
    state_.selectionTitle->setText(QString::fromStdString(node->name));
    state_.selection.Show(Selection::Of(node));
    if (shown) shown();
}

void SelectionPanel::BuildNodesPanel(const std::vector<Node*>& nodes) {
    if (nodes.size() < 2) return BuildNodePanel(nodes.empty() ? nullptr : nodes.front());
    Clear();
    state_.selectionTitle->setText(QStringLiteral("%1 nodes selected").arg(nodes.size()));
    state_.selection.Show(Selection::Of(nodes));
    if (shown) shown();
}

void SelectionPanel::Build(const Selection& selection) {
    if (selection.nodes.empty())
        BuildCablePanel(selection.cable);
    else
        BuildNodesPanel(selection.nodes);
}

void SelectionPanel::AddRow(const Param& param, const Param* prototype, int y, int gw) {
    const QString text = ValueLabelText(param.GetText());
    const QRect controlPlace(kValueControlLeft, y, gw - 116, kRowHeight);
    QWidget* control = nullptr;
    if (param.isNumeric) {
        control = MakeSlider(client_, controlPlace, param);
    } else {
        auto* edit = MakeEditBox(client_, controlPlace, param);
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this, edit] { editChanged_(edit); });
        QObject::connect(edit, &QLineEdit::editingFinished, edit, [this] { ++generation_; });
        control = edit;
    }
    Label* name = MakeLabel(client_, QRect(kNameLeft, y, kNameWidth, kRowHeight), {});
    // Cut names end in an ellipsis; the tooltip has them in full.
    name->SetText(
        QFontMetrics(Label::Font())
            .elidedText(QString::fromStdString(param.name), Qt::ElideRight, kNameWidth - 3));
    Label* value = MakeLabel(client_, QRect(gw + 112, y, kValueLabelWidth, kRowHeight), text);
    const QString tip = RowToolTip(param, prototype);
    for (QWidget* part : {control, static_cast<QWidget*>(name), static_cast<QWidget*>(value)})
        if (part) part->setToolTip(tip);
    state_.valueControls.emplace_back(control);
    state_.nameLabels.emplace_back(name);
    state_.valueLabels.emplace_back(value);
}

void SelectionPanel::BuildCablePanel(Cable* cable) {
    Clear();
    if (!cable) return ShowNothing();
    const QRect group = GroupRect();
    const QString text = DescribeCable(*cable).left(kEditBuffer);
    state_.nameLabels.emplace_back(MakeLabel(
        client_, QRect(kNameLeft, group.top() + kRowTop, group.width() - 20, kRowHeight), text));
    state_.selectionTitle->setText(QStringLiteral("a cable"));
    state_.selection.Show(Selection::Of(cable));
    if (shown) shown();
}

int SelectionPanel::FindValueControl(const QWidget* control) const {
    if (!control) return -1;
    for (size_t i = 0; i < state_.valueControls.size(); ++i)
        if (state_.valueControls[i].data() == control) return static_cast<int>(i);
    return -1;
}
