"""The program as a screen reader meets it: the real window on a virtual display, read through
the accessibility bus (AT-SPI) with pyatspi, driven from the keyboard (xdotool).

    accessibility_test.py PROGRAM

Run by tests/support/with-atspi.sh, which starts the display, a private session bus that is also
the system bus (the disk service's stand-in knows one card there) and the accessibility bus.
For each language: every control a user can reach in the main window, its menus, the grid's
menu, the Destination dialog, the Convert and Save dialog and a message box has a name and the
right role; the grid lists the images in order, and the order read back follows a keyboard move.
"""

import os
import re
import subprocess
import sys
import time

import pyatspi

PROGRAM = sys.argv[1]
# Five small images of their own colours, made here.
IMAGES = os.path.join(os.environ['TMPDIR'], 'colours')
COLOURS = [(220, 30, 30), (30, 200, 30), (30, 30, 220), (220, 220, 30), (30, 220, 220)]
os.makedirs(IMAGES, exist_ok=True)
subprocess.run(['vips', 'black', f'{IMAGES}/black.v', '64', '48', '--bands', '3'], check=True)
for number, colour in enumerate(COLOURS, 1):
    subprocess.run(['vips', 'linear', f'{IMAGES}/black.v', f'{IMAGES}/colour.v', '1',
                    ' '.join(map(str, colour))], check=True)
    subprocess.run(['vips', 'cast', f'{IMAGES}/colour.v', f'{IMAGES}/{number}.jpg', 'uchar'],
                   check=True)
for scratch in ('black.v', 'colour.v'):
    os.remove(f'{IMAGES}/{scratch}')
NAMES = sorted(os.listdir(IMAGES))

# What a user can act on; each needs a name a screen reader can say.
INTERACTIVE = {'push button', 'radio button', 'check box', 'combo box', 'text', 'spin button',
               'menu item', 'list item', 'toggle button', 'slider', 'page tab'}
failures = []


def fail(message):
    failures.append(message)
    print('FAIL:', message, flush=True)


def wait_for(what, condition, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        try:
            found = condition()
        except Exception:  # the tree changes while it is read
            found = None
        if found:
            return found
        time.sleep(0.2)
    raise RuntimeError('timed out waiting for ' + what)


def key(*keys):
    subprocess.run(['xdotool', 'key', '--delay', '60'] + list(keys), check=True)
    time.sleep(0.5)


def walk(node, depth=0):
    if node is None or depth > 20:
        return
    yield node
    for child in node:
        yield from walk(child, depth + 1)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def check_controls(where, root):
    """Every shown control a user can reach: a name, and not the role of something else."""
    count = 0
    for node in walk(root):
        role = node.getRoleName()
        if not showing(node):
            continue
        if role in ('unknown', 'filler') and node.getState().contains(pyatspi.STATE_FOCUSABLE):
            fail(f'{where}: a focusable control without a role ({node.name!r})')
        if role not in INTERACTIVE:
            continue
        count += 1
        if not node.name.strip():
            fail(f'{where}: a {role} without a name')
        if re.search(r'\(&?[A-Za-z0-9]\)|&', node.name):
            fail(f'{where}: {role} {node.name!r} keeps its mnemonic')
        if '\t' in node.name:
            fail(f'{where}: {role} {node.name!r} keeps its shortcut')
    if count == 0:
        fail(f'{where}: no controls at all')
    print(f'{where}: {count} controls', flush=True)
    return count


def find(root, role, name=None):
    for node in walk(root):
        if node.getRoleName() == role and (name is None or node.name == name) and showing(node):
            return node
    return None


def window_named(app, role, name=None):
    for child in app:
        if child is not None and child.getRoleName() == role and showing(child) and (
                name is None or child.name == name):
            return child
    return None


def grid_items(frame):
    grid = find(frame, 'list')
    return [item.name for item in grid] if grid else []


def run(language):
    print(f'== {language}', flush=True)
    program = subprocess.Popen([PROGRAM, '--no-splash', '--lang', language, IMAGES])
    try:
        app = wait_for('the program on the bus', lambda: next(
            (a for a in pyatspi.Registry.getDesktop(0)
             if a is not None and a.get_process_id() == program.pid), None))
        if app.name != 'Vimbrelcastor':
            fail(f'the program calls itself {app.name!r} on the bus')
        frame = wait_for('the main window', lambda: window_named(app, 'dialog'))
        wait_for('the grid with every image', lambda: len(grid_items(frame)) == len(NAMES))
        # Names read while the images still came in must come to say the final count.
        expected = [f'{i + 1} {"of" if language == "en" else "/"} {len(NAMES)}: {n}'
                    for i, n in enumerate(NAMES)]
        try:
            wait_for('the grid items named by their place', lambda: grid_items(frame) == expected,
                     seconds=5)
        except RuntimeError:
            fail(f'grid items {grid_items(frame)} instead of {expected}')
        check_controls('main window', frame)
        for radio in ('SD memory card', 'SDメモリーカード'):
            node = find(frame, 'radio button', radio)
            if node is not None and node.parent.getRoleName() != 'panel':
                fail('the radios are not in a group')
        if find(frame, 'menu bar') is None:
            fail('no menu bar')

        # The grid from the keyboard: the first image, moved one place on.
        key('Right')
        key('alt+Right')
        moved = wait_for('the order after the move', lambda: (
            lambda names: names if names and names != expected else None)(grid_items(frame)))
        if [m.split(': ', 1)[1] for m in moved[:2]] != [NAMES[1], NAMES[0]]:
            fail(f'after Alt+Right the grid reads {moved}')
        key('ctrl+z')
        if wait_for('the order after Undo', lambda: grid_items(frame) == expected or None) is None:
            fail('Undo did not bring the order back')

        # The menus, popped up from the keyboard.
        # The menu bar's first item opened as a screen reader opens it.
        file_item = find(find(frame, 'menu bar'), 'menu item')
        actions = file_item.queryAction()
        actions.doAction([actions.getName(i) for i in range(actions.nActions)].index('ShowMenu'))
        menu = wait_for('the File menu', lambda: find(frame, 'popup menu'))
        check_controls('File menu', menu)
        key('Escape')
        key('Menu')
        menu = wait_for('the grid menu', lambda: find(frame, 'popup menu'))
        check_controls('grid menu', menu)
        key('Escape')

        # Convert and Save: the Destination dialog (the stand-in knows a card), then Convert.
        key('ctrl+s')
        dialog = wait_for('the Destination dialog',
                          lambda: next((w for w in app if w is not None and showing(w) and
                                        w.getRoleName() == 'dialog' and w != frame), None))
        check_controls('Destination dialog', dialog)
        key('Return')
        convert = wait_for('the Convert and Save dialog',
                           lambda: next((w for w in app if w is not None and showing(w) and
                                         w.getRoleName() == 'dialog' and w != frame and
                                         find(w, 'progress bar') is not None), None))
        check_controls('Convert and Save dialog', convert)
        key('Escape')
        wait_for('the Convert dialog to close', lambda: not showing(convert) or None)

        # A message box: the question before closing with unsaved images.
        key('ctrl+x')
        box = wait_for('the question', lambda: next(
            (w for w in app if w is not None and showing(w) and w != frame and
             w.getRoleName() == 'dialog'), None))
        check_controls('message box', box)
        key('Escape')
    finally:
        program.kill()
        program.wait()


def keyboard_only():
    """Imports a folder, moves an image, deletes one, undoes both and writes the card, from the
    keyboard alone; the card holds the images in the folder's order."""
    print('== keyboard only', flush=True)
    folder, colours = IMAGES, COLOURS
    program = subprocess.Popen([PROGRAM, '--no-splash', '--lang', 'en'])
    try:
        app = wait_for('the program on the bus', lambda: next(
            (a for a in pyatspi.Registry.getDesktop(0)
             if a is not None and a.get_process_id() == program.pid), None))
        frame = wait_for('the main window', lambda: window_named(app, 'dialog'))
        key('ctrl+o')
        wait_for('the file picker', lambda: next(
            (w for w in app if w is not None and showing(w) and w.getRoleName() == 'dialog' and
             find(w, 'push button', 'Load All') is not None), None))
        subprocess.run(['xdotool', 'type', '--delay', '20', folder], check=True)
        key('Return')
        time.sleep(1)
        key('alt+l')
        names = wait_for('the imported folder', lambda: (
            lambda n: n if len(n) == len(colours) else None)(grid_items(frame)))
        key('Right')        # the first image
        key('alt+Right')    # moved a place on
        key('End')          # the last image
        key('Delete')
        key('Return')       # the question's OK
        wait_for('the deletion', lambda: len(grid_items(frame)) == len(colours) - 1 or None)
        key('ctrl+z')
        key('ctrl+z')
        try:
            wait_for('the grid after two undos', lambda: grid_items(frame) == names, seconds=5)
        except RuntimeError:
            fail(f'after two undos the grid reads {grid_items(frame)}, not {names}')
        key('ctrl+s')       # the Destination dialog on the card
        key('Return')       # its OK
        key('Return')       # Save All in the Convert dialog
        card = os.path.join(os.environ['CARD'], 'DCIM', '100RODIV')
        wait_for('the written card', lambda: len(
            [f for f in os.listdir(card) if f.startswith('DUVU')]) == len(colours) or None, 60)
        key('Escape')       # the Convert dialog closes
        for number, colour in enumerate(colours, 1):
            out = subprocess.run(['vips', 'getpoint', f'{card}/DUVU{number:04d}.JPG', '400', '300'],
                                 capture_output=True, text=True, check=True).stdout.split()
            if any(abs(float(v) - c) > 16 for v, c in zip(out, colour)):
                fail(f'DUVU{number:04d}.JPG is {out}, not {colour}')
    finally:
        program.kill()
        program.wait()


for language in ('en', 'ja'):
    run(language)
keyboard_only()
print('failures:', len(failures))
sys.exit(1 if failures else 0)
