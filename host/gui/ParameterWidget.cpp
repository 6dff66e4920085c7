#include "host/gui/ParameterWidget.h"

#include "host/core/base/Log.h"
#include "host/core/base/QtHelpers.h"
#include "host/core/config/Configurable.h"
#include "host/core/config/PropertyCodec.h"
#include "host/gui/QtWidgetHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <optional>

namespace Tesselon {
namespace {

// Wide enough for millimetres and degrees, narrow enough that the box keeps a sensible width.
constexpr double unboundedDouble = 1e9;
constexpr int defaultDecimals = 4;

bool isHiddenParameter(const ParameterBase& parameter)
{
    const auto hidden = parameter.attribute("hidden");
    return hidden && PropertyCodec<bool>::fromText(*hidden).value_or(false);
}

int clampToInt(double value)
{
    return static_cast<int>(
        std::clamp(value, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

QDoubleSpinBox* makeDoubleSpinBox(const ParameterBase& parameter)
{
    auto* box = new QDoubleSpinBox;
    const auto minimum = parameter.numberAttribute("min");
    const auto maximum = parameter.numberAttribute("max");
    box->setDecimals(clampToInt(parameter.numberAttribute("decimals").value_or(defaultDecimals)));
    box->setRange(minimum.value_or(-unboundedDouble), maximum.value_or(unboundedDouble));
    double step = 1.0;
    if (const auto given = parameter.numberAttribute("step"))
        step = *given;
    else if (minimum && maximum && *maximum > *minimum)
        step = std::pow(10.0, std::floor(std::log10((*maximum - *minimum) / 100.0)));
    box->setSingleStep(step);
    return box;
}

QString displayLabel(const ParameterBase& parameter)
{
    return QString::fromStdString(parameter.label().empty() ? parameter.name() : parameter.label());
}

}  // namespace

ParameterWidget::ParameterWidget(Configurable* configurable, QWidget* parent)
    : QWidget(parent), m_configurable(configurable)
{
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (!m_configurable)
        return;
    for (ParameterBase* parameter : m_configurable->parameters()) {
        if (isHiddenParameter(*parameter))
            continue;
        m_entries.push_back(makeEditor(parameter));
        const Entry& entry = m_entries.back();
        auto* label = new QLabel(displayLabel(*parameter));
        if (const auto tooltip = parameter->attribute("tooltip")) {
            label->setToolTip(QString::fromStdString(*tooltip));
            entry.editor->setToolTip(label->toolTip());
        }
        layout->addRow(label, entry.editor);
        refreshEntry(entry);
        connectEditor(m_entries.size() - 1);
    }
}

ParameterWidget::~ParameterWidget()
{
    // Parameter slots touch the entries; stop them before the entries go.
    disconnectAll();
}

void ParameterWidget::refresh()
{
    for (const Entry& entry : m_entries)
        refreshEntry(entry);
}

QWidget* ParameterWidget::editor(std::string_view name) const
{
    for (const Entry& entry : m_entries) {
        if (entry.parameter->name() == name)
            return entry.editor;
    }
    return nullptr;
}

ParameterWidget::Entry ParameterWidget::makeEditor(ParameterBase* parameter)
{
    Entry entry;
    entry.parameter = parameter;
    const QString name = QString::fromStdString(parameter->name());
    const auto values = parameter->attribute("values");
    switch (parameter->type()) {
        case ParamType::Int:
        case ParamType::Enumeration:
            if (values || parameter->type() == ParamType::Enumeration) {
                auto* box = new QComboBox;
                for (const std::string& choice : parameter->choiceTexts())
                    box->addItem(QString::fromStdString(choice));
                entry.kind = Kind::Choice;
                entry.editor = box;
            } else {
                auto* box = new QSpinBox;
                box->setRange(clampToInt(parameter->numberAttribute("min").value_or(INT_MIN)),
                              clampToInt(parameter->numberAttribute("max").value_or(INT_MAX)));
                entry.kind = Kind::Int;
                entry.editor = box;
            }
            break;
        case ParamType::Double:
            entry.kind = Kind::Double;
            entry.editor = makeDoubleSpinBox(*parameter);
            break;
        case ParamType::Bool:
            entry.kind = Kind::Bool;
            entry.editor = new QCheckBox;
            break;
        case ParamType::String:
        case ParamType::Path:
            entry.kind = Kind::Text;
            entry.editor = new QLineEdit;
            break;
        case ParamType::Vector3: {
            entry.kind = Kind::Vector3;
            entry.editor = new QWidget;
            auto* row = new QHBoxLayout(entry.editor);
            row->setContentsMargins(0, 0, 0, 0);
            const char* axes[] = {".x", ".y", ".z"};
            for (int i = 0; i < 3; ++i) {
                entry.components[i] = makeDoubleSpinBox(*parameter);
                entry.components[i]->setObjectName(name + axes[i]);
                row->addWidget(entry.components[i]);
            }
            break;
        }
        case ParamType::Matrix4:
        case ParamType::Unknown: {
            auto* text = new QLineEdit;
            text->setReadOnly(true);
            entry.kind = Kind::ReadOnly;
            entry.editor = text;
            break;
        }
    }
    entry.editor->setObjectName(name);
    for (QWidget* editor : entry.editor->findChildren<QAbstractSpinBox*>())
        QtHelpers::ignoreWheelUnlessFocused(editor);
    if (qobject_cast<QAbstractSpinBox*>(entry.editor) || qobject_cast<QComboBox*>(entry.editor))
        QtHelpers::ignoreWheelUnlessFocused(entry.editor);
    return entry;
}

void ParameterWidget::connectEditor(std::size_t index)
{
    // Entries are looked up by index: the vector may still grow while the form is being built.
    const Entry& entry = m_entries[index];
    switch (entry.kind) {
        case Kind::Int:
            connect(static_cast<QSpinBox*>(entry.editor), qOverload<int>(&QSpinBox::valueChanged), this,
                    [this, index](int value) { writeToParameter(index, PropertyCodec<int>::toText(value)); });
            break;
        case Kind::Double:
            connect(static_cast<QDoubleSpinBox*>(entry.editor),
                    qOverload<double>(&QDoubleSpinBox::valueChanged), this, [this, index](double value) {
                        writeToParameter(index, PropertyCodec<double>::toText(value));
                    });
            break;
        case Kind::Bool:
            connect(static_cast<QCheckBox*>(entry.editor), &QCheckBox::toggled, this,
                    [this, index](bool checked) {
                        writeToParameter(index, PropertyCodec<bool>::toText(checked));
                    });
            break;
        case Kind::Text:
            connect(static_cast<QLineEdit*>(entry.editor), &QLineEdit::textChanged, this,
                    [this, index](const QString& text) { writeToParameter(index, text.toStdString()); });
            break;
        case Kind::Choice:
            connect(static_cast<QComboBox*>(entry.editor), qOverload<int>(&QComboBox::currentIndexChanged),
                    this, [this, index](int choice) {
                        if (choice >= 0)
                            writeToParameter(index, PropertyCodec<int>::toText(choice));
                    });
            break;
        case Kind::Vector3:
            for (QDoubleSpinBox* component : entry.components) {
                connect(component, qOverload<double>(&QDoubleSpinBox::valueChanged), this, [this, index] {
                    const auto& boxes = m_entries[index].components;
                    const Eigen::Vector3d value(boxes[0]->value(), boxes[1]->value(), boxes[2]->value());
                    writeToParameter(index, PropertyCodec<Eigen::Vector3d>::toText(value));
                });
            }
            break;
        case Kind::ReadOnly:
            break;
    }
    entry.parameter->valueChanged.connect(this, [this, index] { onParameterChanged(index); });
}

void ParameterWidget::onParameterChanged(std::size_t index)
{
    // Parameters may change on a stream's or worker's thread; widgets are touched on the GUI thread only.
    if (QtHelpers::isMainThread())
        refreshEntry(m_entries[index]);
    else
        QtHelpers::runOnMainThread([this, index] { refreshEntry(m_entries[index]); }, 0, this);
}

void ParameterWidget::refreshEntry(const Entry& entry)
{
    const std::string text = entry.parameter->text();
    switch (entry.kind) {
        case Kind::Int: {
            auto* box = static_cast<QSpinBox*>(entry.editor);
            const auto value = PropertyCodec<long long>::fromText(text);
            if (value && box->value() != *value) {
                const QSignalBlocker blocker(box);
                box->setValue(clampToInt(static_cast<double>(*value)));
            }
            break;
        }
        case Kind::Double: {
            auto* box = static_cast<QDoubleSpinBox*>(entry.editor);
            const auto value = PropertyCodec<double>::fromText(text);
            if (value && !std::isnan(*value) && box->value() != *value) {
                const QSignalBlocker blocker(box);
                box->setValue(*value);
            }
            break;
        }
        case Kind::Bool:
            if (const auto value = PropertyCodec<bool>::fromText(text))
                QtHelpers::setSilent(static_cast<QCheckBox*>(entry.editor), *value);
            break;
        case Kind::Text:
        case Kind::ReadOnly: {
            auto* line = static_cast<QLineEdit*>(entry.editor);
            const QString value = QString::fromStdString(text);
            // Setting equal text would move the cursor of a user who is typing.
            if (line->text() != value) {
                const QSignalBlocker blocker(line);
                line->setText(value);
            }
            break;
        }
        case Kind::Choice: {
            auto* box = static_cast<QComboBox*>(entry.editor);
            const auto value = PropertyCodec<long long>::fromText(text);
            const int choice = value && *value >= 0 && *value < box->count() ? static_cast<int>(*value) : -1;
            if (box->currentIndex() != choice) {
                const QSignalBlocker blocker(box);
                box->setCurrentIndex(choice);
            }
            break;
        }
        case Kind::Vector3:
            if (const auto value = PropertyCodec<Eigen::Vector3d>::fromText(text)) {
                for (int i = 0; i < 3; ++i) {
                    const QSignalBlocker blocker(entry.components[i]);
                    entry.components[i]->setValue((*value)[i]);
                }
            }
            break;
    }
}

void ParameterWidget::writeToParameter(std::size_t index, const std::string& text)
{
    const Entry& entry = m_entries[index];
    if (entry.parameter->text() == text)
        return;
    if (!entry.parameter->setText(text)) {
        Log::warning("ParameterWidget", "The value \"" + text + "\" does not fit the parameter \"" +
                                            entry.parameter->name() + "\"; its previous value is kept.");
        refreshEntry(entry);
        return;
    }
    emit parameterEdited(QString::fromStdString(entry.parameter->name()));
}

}  // namespace Tesselon
