"""ZEMASetup.exe driven as a user would: install, reinstall, remove, and the
cases where the disk or the folder lets it down."""
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import zema_driver as zd

ARGS, REST = zd.options()

CAPTION = "Zema Setup"
NEW_INSTALL, REINSTALL, REMOVE, FOLDER, BROWSE, OK, CANCEL = 1000, 1001, 1002, 1003, 1004, 1, 2
IDOK, IDCANCEL = 1, 2
CLOSE_VIEWER = 1006  # the launcher's Close
CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS = 2, 23

MACHINE_KEY = r"HKLM\SOFTWARE\KELDRAWORKS\ZEMA"
USER_KEY = r"HKCU\Software\KELDRAWORKS\ZEMA"
SETTINGS_KEY = USER_KEY + r"\Settings"
RECORD = "Installed Folder"

COMPLETED = ("Setup completed.\r\n\r\nAn link to the program has bee created in the "
             "[Programs].[KeldraWorks] group.\r\n\r\nThank you for using our product.")
REMOVE_QUESTION = "This will remove ZEMA from your computer.\r\n\r\nContinue?"
REMOVED = "ZEMA has been removed."
CANNOT_CREATE = "Can not create folder."
COPY_FAILED = "Copy file faild."


class SavedState:
    """Moves the installer's registry trees and folders aside for the test
    run and brings them back afterwards."""

    def __init__(self, wine, folders):
        self.wine = wine
        self.scratch = tempfile.mkdtemp(prefix="zema-setup-saved-")
        self.keys = {}
        for index, key in enumerate((MACHINE_KEY, USER_KEY)):
            if wine.key_exists(key):
                saved = os.path.join(self.scratch, f"{index}.reg")
                wine.reg("export", key, zd.Wine.path(saved), "/y")
                self.keys[key] = saved
        self.folders = [f for f in folders if os.path.lexists(f)]
        for folder in self.folders:
            os.rename(folder, folder + ".zema-saved")

    def restore(self, folders):
        for folder in folders:
            shutil.rmtree(folder, ignore_errors=True)
        for folder in self.folders:
            os.rename(folder + ".zema-saved", folder)
        for key in (MACHINE_KEY, USER_KEY):
            self.wine.reg("delete", key, "/f", check=False)
        for saved in self.keys.values():
            self.wine.reg("import", zd.Wine.path(saved))
        shutil.rmtree(self.scratch, ignore_errors=True)


class SetupCase(zd.UserActions, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.start_driving(ARGS)
        program_files = cls.wine.reg_value(r"HKLM\Software\Microsoft\Windows\CurrentVersion",
                                           "ProgramFilesDir")
        cls.default_folder = program_files + r"\KeldraWorks\ZEMA"
        cls.program_files = program_files
        cls.groups = [cls.probe.folder(csidl) + r"\KeldraWorks"
                      for csidl in (CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS)]
        cls.touched = [cls.wine.host_path(p) for p in
                       [program_files + r"\KeldraWorks"] + cls.groups]
        cls.saved = SavedState(cls.wine, cls.touched)

    @classmethod
    def tearDownClass(cls):
        cls.saved.restore(cls.touched)

    def setUp(self):
        self.programs = []
        self.drives = []
        self.scratch = tempfile.mkdtemp(prefix="zema-setup-")

    def tearDown(self):
        for program in self.programs:
            program.kill()
        for drive in self.drives:
            drive.restore()
        for folder in self.touched:
            shutil.rmtree(folder, ignore_errors=True)
        for key in (MACHINE_KEY, USER_KEY):
            self.wine.reg("delete", key, "/f", check=False)
        shutil.rmtree(self.scratch, ignore_errors=True)

    # --- acting on the dialog ---

    def start(self, cwd=None):
        program = zd.Program(self.wine, ARGS.setup, cwd=cwd)
        self.programs.append(program)
        dialog = self.probe.wait_window(CAPTION)
        return program, dialog

    def set_folder(self, dialog, text):
        self.type_into(dialog, FOLDER, text)

    def message(self, dialog):
        """The message box the dialog shows now: its window and its text."""
        box, texts = self.message_box(owner=dialog)
        self.assertEqual(box.text, CAPTION)
        return box, texts[0] if texts else ""

    def expect_message(self, dialog, text, label="OK"):
        box, shown = self.message(dialog)
        self.assertEqual(shown, text)
        self.answer(box, label)
        self.wait_owned_gone(dialog, what="the message box to close")

    def install(self, folder=None):
        """One install through the dialog; the dialog ends with IDOK."""
        program, dialog = self.start()
        if folder is not None:
            self.set_folder(dialog, folder)
        self.click(dialog, OK)
        self.expect_message(dialog, COMPLETED)
        self.assertEqual(program.wait_exit(), IDOK)

    def remove(self, answer, cwd=None):
        program, dialog = self.start(cwd)
        self.click(dialog, REMOVE)
        self.click(dialog, OK)
        box, text = self.message(dialog)
        self.assertEqual(text, REMOVE_QUESTION)
        self.answer(box, answer)
        if answer == "Yes":
            self.expect_message(dialog, REMOVED)
        self.assertEqual(program.wait_exit(), IDOK)

    # --- what is on disk and in the registry ---

    def program_file(self, folder):
        return self.wine.host_path(folder + r"\ZEMA.exe")

    def shortcut(self):
        return self.groups[0] + r"\ZEMA.lnk"

    def assert_state(self, dialog, checked, enabled):
        controls = self.controls(dialog)
        for control_id in (NEW_INSTALL, REINSTALL, REMOVE):
            self.assertEqual(controls[control_id].checked, int(control_id == checked), control_id)
        for control_id in (NEW_INSTALL, REINSTALL, REMOVE, FOLDER, BROWSE):
            self.assertEqual(bool(controls[control_id].enabled), control_id in enabled, control_id)
        return controls

    def assert_not_installed_state(self, dialog):
        controls = self.assert_state(dialog, NEW_INSTALL, {NEW_INSTALL, FOLDER, BROWSE})
        self.assertEqual(controls[FOLDER].text, self.default_folder)

    def assert_installed_state(self, dialog, folder):
        controls = self.assert_state(dialog, REINSTALL, {REINSTALL, REMOVE})
        self.assertEqual(controls[FOLDER].text, folder)

    def assert_installed(self, folder):
        self.assertTrue(filecmp.cmp(self.program_file(folder), ARGS.zema, shallow=False))
        self.assertEqual(self.wine.reg_value(MACHINE_KEY, RECORD), folder)
        link = self.probe.link(self.shortcut())
        self.assertIsNotNone(link, "no shortcut")
        self.assertEqual(link["path"].lower(), (folder + r"\ZEMA.exe").lower())
        self.assertEqual(link["description"], "Zema")
        self.assertEqual(link["arguments"], "")

    def assert_nothing_recorded(self):
        self.assertIsNone(self.wine.reg_value(MACHINE_KEY, RECORD))


class InstallTest(SetupCase):
    def test_install_then_reinstall_keeps_the_viewers_settings(self):
        program, dialog = self.start()
        self.assert_not_installed_state(dialog)
        zd.screenshot(ARGS.screenshots, "setup-new-install", dialog.rect)
        self.click(dialog, OK)
        box, _ = self.message(dialog)
        zd.screenshot(ARGS.screenshots, "setup-completed", box.rect)
        self.expect_message(dialog, COMPLETED)
        self.assertEqual(program.wait_exit(), IDOK)
        self.assert_installed(self.default_folder)

        self.wine.reg("add", SETTINGS_KEY, "/v", "ImageCopyToDir", "/d", r"C:\Kept", "/f")
        with open(self.program_file(self.default_folder), "wb") as damaged:
            damaged.write(b"not the viewer")
        program, dialog = self.start()
        self.assert_installed_state(dialog, self.default_folder)
        zd.screenshot(ARGS.screenshots, "setup-installed", dialog.rect)
        self.click(dialog, OK)
        self.expect_message(dialog, COMPLETED)
        self.assertEqual(program.wait_exit(), IDOK)
        self.assert_installed(self.default_folder)
        self.assertEqual(self.wine.reg_value(SETTINGS_KEY, "ImageCopyToDir"), r"C:\Kept")

    def test_cancel_changes_nothing(self):
        program, dialog = self.start()
        self.click(dialog, CANCEL)
        self.assertEqual(program.wait_exit(), IDCANCEL)
        self.assertFalse(os.path.exists(self.program_file(self.default_folder)))
        self.assert_nothing_recorded()

    def test_a_record_without_its_program_starts_not_installed(self):
        recorded = os.path.join(self.scratch, "Recorded")
        os.makedirs(os.path.join(recorded, "Gone"))
        os.makedirs(os.path.join(recorded, "Folder", "ZEMA.exe"))
        # The program deleted by hand, and a directory in the program's place.
        for name in ("Gone", "Folder"):
            self.wine.reg("add", MACHINE_KEY, "/v", RECORD, "/d",
                          zd.Wine.path(os.path.join(recorded, name)), "/f")
            program, dialog = self.start()
            self.assert_not_installed_state(dialog)
            self.click(dialog, CANCEL)
            self.assertEqual(program.wait_exit(), IDCANCEL)

    def test_slashes_and_doubled_backslashes_install_to_the_normalised_folder(self):
        self.drives.append(zd.MappedDrive(self.wine, "d", self.scratch))
        self.install("D:/Apps//Zema/")
        self.assert_installed(r"D:\Apps\Zema")
        self.assertTrue(os.path.isfile(os.path.join(self.scratch, "Apps", "Zema", "ZEMA.exe")))

    def test_a_folder_that_cannot_be_created_keeps_the_dialog_open(self):
        blocker = os.path.join(self.scratch, "file.txt")
        with open(blocker, "w") as f:
            f.write("a file, not a folder")
        program, dialog = self.start()
        self.set_folder(dialog, zd.Wine.path(blocker) + r"\Zema")
        self.click(dialog, OK)
        self.expect_message(dialog, CANNOT_CREATE)
        self.assertTrue(program.running())
        self.assertIsNotNone(self.probe.find(CAPTION))
        self.assert_nothing_recorded()
        self.click(dialog, CANCEL)
        self.assertEqual(program.wait_exit(), IDCANCEL)

    def test_browse_starts_at_program_files_and_fills_the_edit(self):
        program, dialog = self.start()
        self.set_folder(dialog, r"C:\Elsewhere")
        self.click(dialog, BROWSE)
        chooser = self.wait_owned(dialog, what="the folder chooser")
        zd.wait_for(lambda: self.probe.owned_by(dialog)[0].rect[:2] == [50, 50],
                    what="the chooser at (50, 50)")
        zd.screenshot(ARGS.screenshots, "setup-browse")
        status = [c.text for c in self.probe.controls(chooser) if c.cls == "Static"]
        self.assertIn(self.program_files, status)
        self.answer(chooser, "OK")
        self.wait_owned_gone(dialog, what="the chooser to close")
        self.assertEqual(self.controls(dialog)[FOLDER].text, self.program_files)

        self.click(dialog, BROWSE)
        chooser = self.wait_owned(dialog, what="the folder chooser again")
        self.answer(chooser, "Cancel")
        self.wait_owned_gone(dialog, what="the chooser to close")
        self.assertEqual(self.controls(dialog)[FOLDER].text, self.program_files)
        self.click(dialog, CANCEL)
        self.assertEqual(program.wait_exit(), IDCANCEL)


class RemoveTest(SetupCase):
    def test_no_changes_nothing_and_yes_removes_everything(self):
        self.install()
        self.wine.reg("add", SETTINGS_KEY, "/v", "DirOf1", "/d", r"C:\Movies", "/f")
        program, dialog = self.start()
        self.click(dialog, REMOVE)
        self.click(dialog, OK)
        box, text = self.message(dialog)
        self.assertEqual(text, REMOVE_QUESTION)
        zd.screenshot(ARGS.screenshots, "setup-remove-question", box.rect)
        self.answer(box, "No")
        self.assertEqual(program.wait_exit(), IDOK)
        self.assert_installed(self.default_folder)
        self.assertEqual(self.wine.reg_value(SETTINGS_KEY, "DirOf1"), r"C:\Movies")

        self.remove("Yes")
        self.assertFalse(os.path.exists(self.wine.host_path(self.default_folder)))
        self.assertFalse(os.path.exists(self.wine.host_path(self.shortcut())))
        self.assertFalse(os.path.exists(self.wine.host_path(self.groups[0])))
        self.assertFalse(self.wine.key_exists(MACHINE_KEY))
        self.assertFalse(self.wine.key_exists(USER_KEY))

    def test_a_folder_holding_other_files_is_kept(self):
        self.install()
        other = os.path.join(self.wine.host_path(self.default_folder), "notes.txt")
        with open(other, "w") as f:
            f.write("the user's own")
        self.remove("Yes")
        self.assertTrue(os.path.isfile(other))
        self.assertFalse(os.path.exists(self.program_file(self.default_folder)))
        self.assertFalse(os.path.exists(self.wine.host_path(self.shortcut())))

    def test_an_emptied_record_deletes_nothing_at_the_drive_root(self):
        self.install()
        # The installer runs with the root of drive Y: as its current
        # directory, where "\ZEMA.exe" would point.
        self.drives.append(zd.MappedDrive(self.wine, "y", self.scratch))
        self.assertEqual(self.probe.current_directory(self.scratch), "Y:\\")
        bystander = os.path.join(self.scratch, "ZEMA.exe")
        shutil.copyfile(ARGS.zema, bystander)
        program, dialog = self.start(cwd=self.scratch)
        self.assert_installed_state(dialog, self.default_folder)
        # Another process empties the record while the dialog is open.
        self.wine.reg("add", MACHINE_KEY, "/v", RECORD, "/d", "", "/f")
        self.click(dialog, REMOVE)
        self.click(dialog, OK)
        box, _ = self.message(dialog)
        self.answer(box, "Yes")
        self.expect_message(dialog, REMOVED)
        self.assertEqual(program.wait_exit(), IDOK)
        self.assertTrue(os.path.isfile(bystander))
        self.assertTrue(os.path.isfile(self.program_file(self.default_folder)))
        self.assertFalse(self.wine.key_exists(MACHINE_KEY))


class SmallDisk:
    """A tmpfs of the given size in bytes, mapped as a drive of the prefix."""

    def __init__(self, wine, letter, size):
        self.folder = tempfile.mkdtemp(prefix="zema-small-disk-")
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs",
                                  self.folder], capture_output=True)
        self.mounted = mounted.returncode == 0
        self.drive = zd.MappedDrive(wine, letter, self.folder) if self.mounted else None

    def restore(self):
        if self.drive:
            self.drive.restore()
        if self.mounted:
            subprocess.run(["umount", self.folder], check=False)
        os.rmdir(self.folder)


class FullDiskTest(SetupCase):
    def small_disk(self, size):
        disk = SmallDisk(self.wine, "e", size)
        self.addCleanup(disk.restore)
        if not disk.mounted:
            self.skipTest("mounting a small tmpfs needs root")
        return disk

    def fail_to_copy(self, folder):
        program, dialog = self.start()
        if folder:
            self.set_folder(dialog, folder)
        self.click(dialog, OK)
        self.expect_message(dialog, COPY_FAILED)
        self.assertTrue(program.running())
        self.click(dialog, CANCEL)
        self.assertEqual(program.wait_exit(), IDCANCEL)

    def test_a_short_write_reports_and_records_nothing(self):
        disk = self.small_disk(os.path.getsize(ARGS.zema) // 2)
        self.fail_to_copy(r"E:\Zema")
        self.assert_nothing_recorded()
        self.assertEqual(os.listdir(os.path.join(disk.folder, "Zema")), [])

    def test_a_failed_reinstall_leaves_the_previous_program_working(self):
        size = os.path.getsize(ARGS.zema)
        disk = self.small_disk(size + size // 2)
        self.install(r"E:\Zema")
        self.assert_installed(r"E:\Zema")
        self.fail_to_copy(None)
        self.assert_installed(r"E:\Zema")
        self.assertEqual(os.listdir(os.path.join(disk.folder, "Zema")), ["ZEMA.exe"])

        self.start_viewer(self.program_file(r"E:\Zema"))
        self.programs.append(self.program)
        self.click(self.launcher, CLOSE_VIEWER)
        self.assertEqual(self.program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + REST, verbosity=2)
