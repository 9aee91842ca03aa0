#ifndef SETSHOWN_H
#define SETSHOWN_H

#include <QWidget>

#include <initializer_list>

// Shows or hides each of `widgets`; a null entry (a control a window does
// not have) is skipped.
inline void setShown(std::initializer_list<QWidget *> widgets, bool shown)
{
    for (QWidget *widget : widgets) {
        if (widget)
            widget->setVisible(shown);
    }
}

#endif // SETSHOWN_H
