// Texts cut short in a list or tree (a long file name, a long host name in a narrow column)
// show whole in a tooltip when the pointer rests on them.
#pragma once

#include <QString>

class QAbstractItemView;
class QModelIndex;

namespace qtui {

// From now on, a cell whose text does not fit shows it whole as its tooltip; a cell with a
// tooltip of its own keeps that one.
void ShowCutTextsInToolTips(QAbstractItemView* view);

// The cell's text when the cell is too narrow for it; empty when it shows whole.
QString CutText(const QAbstractItemView& view, const QModelIndex& index);

}  // namespace qtui
