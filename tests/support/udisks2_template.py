'''The desktop's disk service (UDisks2) for tests, as a python-dbusmock template.

Its object manager lists drives and block devices that the test adds and removes through the
org.freedesktop.DBus.Mock interface of /org/freedesktop/UDisks2:

  AddDrive(name, removable, can_power_off, connection_bus) -> drive object path
  AddBlock(name, drive_path, label, id_type, id_version, size, hint_system, mount_point)
      -> block object path (mount_point "" for an unmounted file system)
  RemoveBlock(name), RemoveDrive(name)
  FailUnmount(name, error_name, message): the block's Unmount calls fail so from now on
  CallOrder() -> the Unmount and PowerOff calls so far, "Unmount sdb1", "PowerOff reader", ...

Unmount clears the block's mount points (and tells so), as the service does.
'''

import dbus

from dbusmock import MOCK_IFACE, mockobject

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
MAIN_IFACE = 'org.freedesktop.UDisks2.Mock'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

BLOCK = 'org.freedesktop.UDisks2.Block'
FILESYSTEM = 'org.freedesktop.UDisks2.Filesystem'
DRIVE = 'org.freedesktop.UDisks2.Drive'

calls = []


def load(mock, parameters):
    mock.AddObject(MAIN_OBJ + '/Manager', 'org.freedesktop.UDisks2.Manager',
                   {'Version': '2.9.4'}, [])


def unmount(block, options):
    calls.append('Unmount ' + block.path.split('/')[-1])
    failure = getattr(block, 'unmount_failure', None)
    if failure:
        raise dbus.exceptions.DBusException(failure[1], name=failure[0])
    block.UpdateProperties(FILESYSTEM, {'MountPoints': dbus.Array([], signature='ay')})


@dbus.service.method(MOCK_IFACE, in_signature='sbbs', out_signature='o')
def AddDrive(self, name, removable, can_power_off, connection_bus):
    path = MAIN_OBJ + '/drives/' + name
    self.AddObject(path, DRIVE, {
        'Vendor': 'Generic', 'Model': name,
        'Removable': dbus.Boolean(removable), 'MediaRemovable': dbus.Boolean(removable),
        'Ejectable': dbus.Boolean(removable), 'CanPowerOff': dbus.Boolean(can_power_off),
        'ConnectionBus': connection_bus,
    }, [('Eject', 'a{sv}', '', '')])
    mockobject.objects[path].AddMethod(DRIVE, 'PowerOff', 'a{sv}', '', power_off)
    self.object_manager_emit_added(path)
    return path


def power_off(drive, options):
    calls.append('PowerOff ' + drive.path.split('/')[-1])


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def CallOrder(self):
    return calls


@dbus.service.method(MOCK_IFACE, in_signature='sossstbs', out_signature='o')
def AddBlock(self, name, drive, label, id_type, id_version, size, hint_system, mount_point):
    path = MAIN_OBJ + '/block_devices/' + name
    self.AddObject(path, BLOCK, {
        'Device': dbus.ByteArray(('/dev/' + name).encode() + b'\0'),
        'Drive': dbus.ObjectPath(drive),
        'IdLabel': label, 'IdType': id_type, 'IdVersion': id_version, 'IdUsage': 'filesystem',
        'Size': dbus.UInt64(size),
        'HintSystem': dbus.Boolean(hint_system), 'HintIgnore': dbus.Boolean(False),
    }, [])
    block = mockobject.objects[path]
    points = [dbus.ByteArray(mount_point.encode() + b'\0')] if mount_point else []
    block.AddProperties(FILESYSTEM, {'MountPoints': dbus.Array(points, signature='ay')})
    block.AddMethod(FILESYSTEM, 'Unmount', 'a{sv}', '', unmount)
    self.object_manager_emit_added(path)
    return path


def remove(self, path):
    self.object_manager_emit_removed(path)
    self.RemoveObject(path)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def RemoveBlock(self, name):
    remove(self, MAIN_OBJ + '/block_devices/' + name)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def RemoveDrive(self, name):
    remove(self, MAIN_OBJ + '/drives/' + name)


@dbus.service.method(MOCK_IFACE, in_signature='sss', out_signature='')
def FailUnmount(self, name, error_name, message):
    mockobject.objects[MAIN_OBJ + '/block_devices/' + name].unmount_failure = (error_name,
                                                                              message)
