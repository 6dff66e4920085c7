#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QToolButton;

namespace Tesselon {

class AlgorithmController;

/// The frame the host puts round a panel: a bold title bar with a button that folds the panel away.
class DefaultControllerDecorator : public QWidget
{
    Q_OBJECT

public:
    /// Shows the controller's widget under the controller's title; the widget becomes a child of this.
    explicit DefaultControllerDecorator(AlgorithmController* controller, QWidget* parent = nullptr);
    /// Shows `content` under `title`; the content becomes a child of this.
    DefaultControllerDecorator(QWidget* content, QString title, QWidget* parent = nullptr);

    /// The shown title: the override when set, else the controller's title or the given one.
    QString title() const;
    /// Replaces the shown title; an empty text restores the original.
    void setTitleOverride(QString title);

    /// Whether the title bar offers folding; turning it off unfolds the content.
    void setCollapsible(bool collapsible);
    bool isCollapsible() const { return m_collapsible; }
    void setCollapsed(bool collapsed);
    bool isCollapsed() const { return m_collapsed; }

    QWidget* content() const { return m_content; }

    /// Shows a close button (object name "closePanel") at the end of the title bar; off by default.
    void setClosable(bool closable);

signals:
    void collapsedChanged(bool collapsed);
    /// The close button was pressed; the host decides what closing means.
    void closeRequested();

private:
    void updateTitle();

    QWidget* m_content;
    QString m_title;
    QString m_titleOverride;
    QLabel* m_titleLabel;
    QToolButton* m_collapseButton;
    QToolButton* m_closeButton;
    bool m_collapsible = true;
    bool m_collapsed = false;
};

}  // namespace Tesselon
