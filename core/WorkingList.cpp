#include "core/WorkingList.h"

#include <QFileInfo>

QString DisplayName(const ImageEntry& entry) {
    return entry.name.isEmpty() ? QFileInfo(entry.sourcePath).fileName() : entry.name;
}

int WorkingList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant WorkingList::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const ImageEntry& entry = entries_.at(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return DisplayName(entry);
        case IdRole:
            return QVariant::fromValue(entry.id);
        case SourcePathRole:
            return entry.sourcePath;
        case WorkPathRole:
            return entry.workPath;
        case SelectedRole:
            return entry.selected;
        case SavedRole:
            return entry.saved;
        case RenderedRole:
            return entry.rendered;
        case ThumbnailRole:
            return entry.thumbnail;
        default:
            return QVariant();
    }
}

QHash<int, QByteArray> WorkingList::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(IdRole, "id");
    names.insert(SourcePathRole, "sourcePath");
    names.insert(WorkPathRole, "workPath");
    names.insert(SelectedRole, "selected");
    names.insert(SavedRole, "saved");
    names.insert(RenderedRole, "rendered");
    names.insert(ThumbnailRole, "thumbnail");
    return names;
}

EntryId WorkingList::Append(ImageEntry entry) {
    const int row = count();
    entry.id = nextId_++;
    entry.index = quint32(row);
    beginInsertRows(QModelIndex(), row, row);
    rows_.insert(entry.id, row);
    entries_.append(std::move(entry));
    endInsertRows();
    return entries_.last().id;
}

int WorkingList::RowOf(EntryId id) const {
    return rows_.value(id, -1);
}

void WorkingList::SetSelected(int row, bool selected) {
    entries_[row].selected = selected;
    EmitChanged(row, SelectedRole);
}

bool WorkingList::SetThumbnail(EntryId id, const QImage& thumbnail) {
    const int row = RowOf(id);
    if (row < 0) return false;
    entries_[row].thumbnail = thumbnail;
    entries_[row].rendered = true;
    EmitChanged(row, ThumbnailRole);
    return true;
}

void WorkingList::SetTurn(int row, int quarterTurns, const QImage& thumbnail) {
    entries_[row].quarterTurns = quarterTurns;
    entries_[row].thumbnail = thumbnail;
    EmitChanged(row, ThumbnailRole);
}

void WorkingList::ReplaceEntries(QList<ImageEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    rows_.clear();
    for (int row = 0; row < count(); ++row) {
        entries_[row].index = quint32(row);
        rows_.insert(entries_[row].id, row);
    }
    endResetModel();
}

void WorkingList::SetName(int row, const QString& name) {
    entries_[row].name = name;
    EmitChanged(row, Qt::DisplayRole);
}

void WorkingList::SetSaved(int row, bool saved) {
    entries_[row].saved = saved;
    EmitChanged(row, SavedRole);
}

void WorkingList::EmitChanged(int row, int role) {
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {role});
}
