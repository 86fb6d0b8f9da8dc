// What Keyloom needs of the desktop that a Wayland program cannot reach by itself: the windows
// with their titles, bringing one to the front, system-wide hot keys and the clipboard. Served on
// the session bus to whichever program calls; every hot key is tied to the bus name that took it
// and released when that name goes, so a program that was killed leaves nothing grabbed.
'use strict';

const {Clutter, Gio, GLib, Meta, Shell, St} = imports.gi;
const Main = imports.ui.main;

const BUS_NAME = 'org.example.ostrevin.KeyloomShell';
const OBJECT_PATH = '/org/example/ostrevin/KeyloomShell';
const INTERFACE = `
<node>
  <interface name="org.example.ostrevin.KeyloomShell">
    <method name="ListWindows">
      <arg type="t" direction="out" name="focused"/>
      <arg type="a(tsb)" direction="out" name="windows"/>
    </method>
    <method name="ActivateWindow">
      <arg type="t" direction="in" name="id"/>
      <arg type="b" direction="out" name="done"/>
    </method>
    <method name="GrabAccelerator">
      <arg type="s" direction="in" name="accelerator"/>
      <arg type="u" direction="out" name="action"/>
    </method>
    <method name="UngrabAccelerator">
      <arg type="u" direction="in" name="action"/>
      <arg type="b" direction="out" name="done"/>
    </method>
    <method name="WaitForRelease"/>
    <method name="GrabbedAccelerators">
      <arg type="as" direction="out" name="accelerators"/>
    </method>
    <method name="SetClipboard">
      <arg type="s" direction="in" name="text"/>
    </method>
    <method name="GetClipboard">
      <arg type="s" direction="out" name="text"/>
    </method>
    <method name="TypeKeys">
      <arg type="o" direction="in" name="session"/>
      <arg type="a(ub)" direction="in" name="keys"/>
    </method>
    <method name="GetSelection">
      <arg type="u" direction="in" name="selection"/>
      <arg type="a(say)" direction="out" name="contents"/>
    </method>
    <method name="SetSelection">
      <arg type="u" direction="in" name="selection"/>
      <arg type="a(say)" direction="in" name="contents"/>
    </method>
    <signal name="Activated">
      <arg type="u" name="action"/>
    </signal>
  </interface>
</node>`;

// The user's modifiers act on every keyboard of the seat, the program's virtual one included: a
// macro started while they are still down must wait, or "ab" would arrive as Ctrl+A Ctrl+B.
const HELD_MODIFIERS = Clutter.ModifierType.SHIFT_MASK | Clutter.ModifierType.CONTROL_MASK |
    Clutter.ModifierType.MOD1_MASK | Clutter.ModifierType.MOD4_MASK;
const RELEASE_POLL_MS = 15;
// GetSelection and SetSelection name the selection: 0 the clipboard, 1 the primary selection.
const SELECTIONS = [
    [St.ClipboardType.CLIPBOARD, Meta.SelectionType.SELECTION_CLIPBOARD],
    [St.ClipboardType.PRIMARY, Meta.SelectionType.SELECTION_PRIMARY],
];
const UTF8_TEXT = 'text/plain;charset=utf-8';
// A program is not kept waiting without end by a key that is stuck.
const RELEASE_WAIT_LIMIT_US = 30 * GLib.USEC_PER_SEC;

// The desktop portal names a caller's sessions after the caller's unique bus name.
const PORTAL_NAME = 'org.freedesktop.portal.Desktop';
const PORTAL_SESSIONS = '/org/freedesktop/portal/desktop/session/';
const REMOTE_DESKTOP_HANDLE = 'MetaRemoteDesktopSessionHandle';
const KEY_RELEASED = 0, KEY_PRESSED = 1;

// Windows a user would call windows: not menus, tooltips or the shell's own surfaces.
const LISTED_TYPES = [Meta.WindowType.NORMAL, Meta.WindowType.DIALOG,
    Meta.WindowType.MODAL_DIALOG, Meta.WindowType.UTILITY];

class KeyloomService {
    constructor() {
        this._grabs = new Map();  // action -> {sender, accelerator}
        this._releaseWaits = new Map();  // timeout source -> invocation
        this._typists = new Map();  // sender -> {device, held: Set of keycodes}
        this._checking = new Map();  // sender -> {gone, count} while its consent is checked
        this._remoteSessions = new Set();  // the desktop's live remote-control handles
        this._selectionSources = [null, null];  // what SetSelection last put there
        this._dbus = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this);
    }

    start() {
        this._dbus.export(Gio.DBus.session, OBJECT_PATH);
        this._acceleratorId = global.display.connect('accelerator-activated',
            (display, action) => this._pressed(action));
        this._ownerId = Gio.DBus.session.signal_subscribe('org.freedesktop.DBus',
            'org.freedesktop.DBus', 'NameOwnerChanged', '/org/freedesktop/DBus', null,
            Gio.DBusSignalFlags.NONE, (conn, sender, path, iface, signal, params) => {
                const [name, , newOwner] = params.deepUnpack();
                if (newOwner === '') {
                    this._releaseAllOf(name);
                    this._dropTypist(name);
                    const check = this._checking.get(name);
                    if (check)
                        check.gone = true;
                }
            });
        const access = global.backend.get_remote_access_controller();
        this._accessId = access.connect('new-handle', (controller, handle) => {
            // A screen cast alone gives no one the keyboard.
            if (handle.constructor.$gtype.name !== REMOTE_DESKTOP_HANDLE)
                return;
            this._remoteSessions.add(handle);
            handle.connect('stopped', () => {
                this._remoteSessions.delete(handle);
                // The last consent ended: every typist lets go and proves its own again.
                if (this._remoteSessions.size === 0) {
                    for (const sender of [...this._typists.keys()])
                        this._dropTypist(sender);
                }
            });
        });
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    stop() {
        Gio.bus_unown_name(this._nameId);
        Gio.DBus.session.signal_unsubscribe(this._ownerId);
        global.display.disconnect(this._acceleratorId);
        global.backend.get_remote_access_controller().disconnect(this._accessId);
        for (const check of this._checking.values())
            check.gone = true;
        for (const sender of [...this._typists.keys()])
            this._dropTypist(sender);
        for (const action of [...this._grabs.keys()])
            this._ungrab(action);
        for (const [source, invocation] of this._releaseWaits) {
            GLib.source_remove(source);
            invocation.return_value(null);
        }
        this._releaseWaits.clear();
        this._dbus.unexport();
    }

    ListWindows() {
        const workspace = global.workspace_manager.get_active_workspace();
        // The actors are in stacking order, bottom first.
        const windows = global.get_window_actors().map(actor => actor.get_meta_window())
            .filter(w => w && !w.is_override_redirect() &&
                LISTED_TYPES.includes(w.get_window_type()))
            .reverse()
            .map(w => [w.get_id(), w.get_title() || '',
                !w.minimized && w.located_on_workspace(workspace)]);
        const focus = global.display.get_focus_window();
        return [focus ? focus.get_id() : 0, windows];
    }

    ActivateWindow(id) {
        const window = global.display.list_all_windows().find(w => w.get_id() === id);
        if (!window)
            return false;
        Main.activateWindow(window);
        return true;
    }

    GrabAcceleratorAsync([accelerator], invocation) {
        // One press runs a macro once, however long the key is held.
        const action = global.display.grab_accelerator(accelerator,
            Meta.KeyBindingFlags.IGNORE_AUTOREPEAT);
        if (action !== Meta.KeyBindingAction.NONE) {
            this._grabs.set(action, {sender: invocation.get_sender(), accelerator});
            // Only in the normal mode: not while the overview, a menu or the lock screen is up.
            Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action),
                Shell.ActionMode.NORMAL);
        }
        invocation.return_value(new GLib.Variant('(u)', [action]));
    }

    UngrabAcceleratorAsync([action], invocation) {
        const grab = this._grabs.get(action);
        const mine = grab !== undefined && grab.sender === invocation.get_sender();
        if (mine)
            this._ungrab(action);
        invocation.return_value(new GLib.Variant('(b)', [mine]));
    }

    WaitForReleaseAsync(params, invocation) {
        const started = GLib.get_monotonic_time();
        const released = () => {
            const [, , modifiers] = global.get_pointer();
            return (modifiers & HELD_MODIFIERS) === 0 ||
                GLib.get_monotonic_time() - started > RELEASE_WAIT_LIMIT_US;
        };
        if (released()) {
            invocation.return_value(null);
            return;
        }
        const source = GLib.timeout_add(GLib.PRIORITY_DEFAULT, RELEASE_POLL_MS, () => {
            if (!released())
                return GLib.SOURCE_CONTINUE;
            this._releaseWaits.delete(source);
            invocation.return_value(null);
            return GLib.SOURCE_REMOVE;
        });
        this._releaseWaits.set(source, invocation);
    }

    GrabbedAccelerators() {
        return [...this._grabs.values()].map(grab => grab.accelerator);
    }

    SetClipboard(text) {
        St.Clipboard.get_default().set_text(St.ClipboardType.CLIPBOARD, text);
    }

    GetClipboardAsync(params, invocation) {
        St.Clipboard.get_default().get_text(St.ClipboardType.CLIPBOARD, (clipboard, text) => {
            invocation.return_value(new GLib.Variant('(s)', [text || '']));
        });
    }

    // A batch of keys of the user's layout (XKB keycodes, pressed or not), played in order on a
    // virtual keyboard of the caller's own. It types only for a caller whose own portal session
    // is open while the desktop runs a remote-control session the user allowed, so the method
    // gives no one a keyboard the desktop would not. The batch's reply comes once all its keys
    // are queued, so a caller that waits for it keeps its keys in order.
    TypeKeysAsync([session, keys], invocation) {
        const sender = invocation.get_sender();
        const typist = this._typists.get(sender);
        if (typist) {
            this._play(typist, keys);
            invocation.return_value(null);
            return;
        }
        this._checkConsent(sender, session, allowed => {
            if (!allowed) {
                invocation.return_dbus_error('org.freedesktop.DBus.Error.AccessDenied',
                    'Keys are typed only for a program the user allowed to control the desktop');
                return;
            }
            const created = this._typists.get(sender) || this._newTypist(sender);
            this._play(created, keys);
            invocation.return_value(null);
        });
    }

    _checkConsent(sender, session, done) {
        const own = PORTAL_SESSIONS + sender.slice(1).replace(/\./g, '_') + '/';
        if (this._remoteSessions.size === 0 || !session.startsWith(own)) {
            done(false);
            return;
        }
        // A caller that leaves the bus meanwhile gets no keyboard that nothing would let go of.
        const check = this._checking.get(sender) || {gone: false, count: 0};
        check.count++;
        this._checking.set(sender, check);
        // The session must still be open: the portal drops its object when it closes.
        Gio.DBus.session.call(PORTAL_NAME, session, 'org.freedesktop.DBus.Properties', 'Get',
            new GLib.Variant('(ss)', ['org.freedesktop.portal.Session', 'version']), null,
            Gio.DBusCallFlags.NONE, 2000, null, (conn, result) => {
                if (--check.count === 0)
                    this._checking.delete(sender);
                try {
                    conn.call_finish(result);
                    done(!check.gone);
                } catch (e) {
                    done(false);
                }
            });
    }

    _newTypist(sender) {
        const seat = Clutter.get_default_backend().get_default_seat();
        const typist = {
            device: seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE),
            held: new Set(),
        };
        this._typists.set(sender, typist);
        return typist;
    }

    _play(typist, keys) {
        for (const [keycode, pressed] of keys) {
            if (keycode < 8 || keycode > 255)
                continue;
            // The device takes evdev codes, which XKB's are offset from by 8.
            typist.device.notify_key(Clutter.CURRENT_TIME, keycode - 8,
                pressed ? KEY_PRESSED : KEY_RELEASED);
            if (pressed)
                typist.held.add(keycode);
            else
                typist.held.delete(keycode);
        }
    }

    // A caller that went away leaves no key down.
    _dropTypist(sender) {
        const typist = this._typists.get(sender);
        if (!typist)
            return;
        this._typists.delete(sender);
        this._play(typist, [...typist.held].map(keycode => [keycode, false]));
    }

    // Every type the selection offers, with its bytes; an error when one cannot be read, so that
    // a caller saving the selection never takes part of it for the whole.
    GetSelectionAsync([selection], invocation) {
        const clipboard = St.Clipboard.get_default();
        const type = SELECTIONS[selection]?.[0];
        if (type === undefined) {
            invocation.return_dbus_error(`${BUS_NAME}.Error.NoSuchSelection`, `${selection}`);
            return;
        }
        const mimetypes = clipboard.get_mimetypes(type);
        const contents = [];
        const next = () => {
            if (contents.length === mimetypes.length) {
                invocation.return_value(new GLib.Variant('(a(say))', [contents]));
                return;
            }
            const mimetype = mimetypes[contents.length];
            clipboard.get_content(type, mimetype, (c, bytes) => {
                if (bytes === null) {
                    invocation.return_dbus_error(`${BUS_NAME}.Error.ReadFailed`, mimetype);
                    return;
                }
                contents.push([mimetype, bytes.toArray()]);
                next();
            });
        };
        next();
    }

    // The shell's own selections hold one type: the UTF-8 text where it is given, else the first.
    // Nothing given empties the selection, where what is there was put there by this method.
    SetSelection(selection, contents) {
        const type = SELECTIONS[selection]?.[1];
        if (type === undefined)
            return;
        const shellSelection = global.display.get_selection();
        const chosen = contents.find(([mimetype]) => mimetype === UTF8_TEXT) || contents[0];
        if (chosen) {
            const source = Meta.SelectionSourceMemory.new(chosen[0], new GLib.Bytes(chosen[1]));
            shellSelection.set_owner(type, source);
            this._selectionSources[selection] = source;
        } else if (this._selectionSources[selection]) {
            shellSelection.unset_owner(type, this._selectionSources[selection]);
            this._selectionSources[selection] = null;
        }
    }

    _pressed(action) {
        const grab = this._grabs.get(action);
        if (grab === undefined)
            return;
        // To the program that took the key alone: another one has no business knowing.
        Gio.DBus.session.emit_signal(grab.sender, OBJECT_PATH, BUS_NAME, 'Activated',
            new GLib.Variant('(u)', [action]));
    }

    _releaseAllOf(sender) {
        for (const [action, grab] of [...this._grabs])
            if (grab.sender === sender)
                this._ungrab(action);
    }

    _ungrab(action) {
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(action),
            Shell.ActionMode.NONE);
        global.display.ungrab_accelerator(action);
        this._grabs.delete(action);
    }
}

class Extension {
    enable() {
        this._service = new KeyloomService();
        this._service.start();
    }

    disable() {
        this._service.stop();
        this._service = null;
    }
}

function init() {
    return new Extension();
}
