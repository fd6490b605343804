"""The Launcher window and the About dialog, driven as a user would."""
import sys
import time
import unittest

import zema_driver as zd

ARGS, REST = zd.options()

# Dialog-unit rectangles of the launcher's controls, by id.
LAUNCHER_CONTROLS = {
    1000: ("Button", "Images", (7, 7, 80, 16)),
    1001: ("Button", "Flashes", (88, 7, 80, 16)),
    1002: ("Button", "Movies", (169, 7, 80, 16)),
    1003: ("Button", "Audios", (7, 25, 80, 16)),
    1007: ("Button", "Text Files..", (88, 25, 80, 16)),
    1005: ("Button", "Other Files..", (169, 25, 80, 16)),
    -1: ("Static", "", (7, 48, 242, 1)),
    1047: ("Button", "Caches...", (97, 55, 50, 14)),
    1046: ("Button", "About...", (148, 55, 50, 14)),
    1006: ("Button", "Close", (199, 55, 50, 14)),
}
LAUNCHER_SIZE = (256, 76)

WS_POPUP, WS_CAPTION, WS_SYSMENU = 0x80000000, 0x00C00000, 0x00080000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00020000, 0x00010000
WS_CLIPCHILDREN, WS_CLIPSIBLINGS, DS_MODALFRAME = 0x02000000, 0x04000000, 0x80
WS_EX_APPWINDOW, SS_ETCHEDHORZ = 0x00040000, 0x10

PRODUCT_PAGE = "https://www.keldraworks.com/zema/"


def is_blue(rgb):
    r, g, b = rgb
    return b > 150 and r < 90 and g < 90


def is_dark(rgb):
    return max(rgb) < 90


def hand_cursor_pixels():
    """The ARGB image the link cursor's two masks describe."""
    and_rows = ["f9ffffff", "f0ffffff", "f0ffffff", "f0ffffff", "f0ffffff", "f03fffff",
                "f007ffff", "f001ffff", "f000ffff", "10007fff", "00007fff", "00007fff",
                "80007fff", "c0007fff", "c0007fff", "e0007fff", "e000ffff", "f000ffff",
                "f000ffff", "f801ffff", "f801ffff", "f801ffff"] + ["ffffffff"] * 10
    xor_rows = ["00000000", "06000000", "06000000", "06000000", "06000000", "06000000",
                "06c00000", "06d80000", "06da0000", "06db0000", "67fb0000", "77ff0000",
                "37ff0000", "17ff0000", "1fff0000", "0fff0000", "0ffe0000", "07fe0000",
                "07fe0000", "03fc0000", "03fc0000", "00000000"] + ["00000000"] * 10
    image = []
    for and_row, xor_row in zip(and_rows, xor_rows):
        a, x = int(and_row, 16), int(xor_row, 16)
        for bit in range(31, -1, -1):
            if (a >> bit) & 1:
                image.append(None)          # transparent
            elif (x >> bit) & 1:
                image.append(0xFFFFFFFF)    # white
            else:
                image.append(0xFF000000)    # black
    return image


class LauncherCase(zd.UserActions, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.start_driving(ARGS)

    def setUp(self):
        self.start_viewer(ARGS.zema)

    def tearDown(self):
        self.program.kill()


class LauncherWindowTest(LauncherCase):
    def test_controls_are_those_of_the_template(self):
        zd.screenshot(ARGS.screenshots, "launcher", self.launcher.rect)
        controls = self.probe.controls(self.launcher)
        self.assertEqual(len(controls), 10)
        client = self.launcher.client
        units_x = (client[2] - client[0]) / LAUNCHER_SIZE[0]
        units_y = (client[3] - client[1]) / LAUNCHER_SIZE[1]
        for control in controls:
            cls, text, (x, y, w, h) = LAUNCHER_CONTROLS[control.id]
            self.assertEqual((control.cls, control.text), (cls, text))
            left, top = control.rect[0] - client[0], control.rect[1] - client[1]
            width, height = control.rect[2] - control.rect[0], control.rect[3] - control.rect[1]
            self.assertAlmostEqual(left, x * units_x, delta=1.5, msg=text)
            self.assertAlmostEqual(top, y * units_y, delta=1.5, msg=text)
            # Wine draws the etched line a little wider than its template.
            slack = 3.0 if control.id == -1 else 1.5
            self.assertAlmostEqual(width, w * units_x, delta=slack, msg=text)
            self.assertAlmostEqual(height, h * units_y, delta=2.0, msg=text)
        separator = next(c for c in controls if c.id == -1)
        self.assertEqual(separator.style & 0x1F, SS_ETCHEDHORZ)

    def test_window_styles(self):
        style, exstyle = self.launcher.style, self.launcher.exstyle
        for flag in (WS_POPUP, WS_CAPTION, WS_SYSMENU, WS_CLIPCHILDREN, WS_CLIPSIBLINGS,
                     DS_MODALFRAME):
            self.assertTrue(style & flag, hex(flag))
        self.assertFalse(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))
        self.assertTrue(exstyle & WS_EX_APPWINDOW)

    def test_escape_and_enter_leave_it_open(self):
        zd.activate("Zema")
        zd.Keyboard.press("Escape")
        zd.Keyboard.press("Return")
        zd.Keyboard.press("KP_Enter")
        time.sleep(0.5)
        self.assertTrue(self.program.running())
        self.assertIsNotNone(self.probe.find("Zema"))

    def test_close_button_ends_the_program(self):
        self.click(self.launcher, 1006)
        self.assertEqual(self.program.wait_exit(), 0)

    def test_close_box_ends_the_program(self):
        zd.activate("Zema")
        self.mouse.click(*zd.close_box(self.launcher))
        self.assertEqual(self.program.wait_exit(), 0)

    def test_alt_f4_ends_the_program(self):
        zd.activate("Zema")
        zd.Keyboard.press("alt+F4")
        self.assertEqual(self.program.wait_exit(), 0)


class AboutDialogTest(LauncherCase):
    def setUp(self):
        super().setUp()
        self.click(self.launcher, 1046)
        self.about = self.probe.wait_window("About")
        self.link = self.control(self.about, 1048)

    def test_about_shows_version_and_link_and_disables_the_launcher(self):
        texts = [c.text for c in self.probe.controls(self.about)]
        self.assertIn("Zema Version 3.2", texts)
        self.assertTrue(self.link.text)
        self.assertFalse(self.probe.find("Zema").enabled)
        self.mouse.move(self.about.rect[0] + 5, self.about.rect[3] - 5)
        zd.screenshot(ARGS.screenshots, "about", self.about.rect)
        self.click(self.about, 1)
        self.probe.wait_gone("About")
        self.assertTrue(self.probe.find("Zema").enabled)

    def test_hover_turns_the_link_blue_and_shows_the_hand(self):
        outside = (self.about.rect[0] + 5, self.about.rect[3] - 5)
        self.mouse.move(*outside)
        zd.wait_for(lambda: not any(map(is_blue, zd.pixels(self.link.rect))),
                    what="the link drawn in black")
        self.assertTrue(any(map(is_dark, zd.pixels(self.link.rect))))

        self.mouse.move(*self.link.centre)
        zd.wait_for(lambda: any(map(is_blue, zd.pixels(self.link.rect))),
                    what="the link drawn in blue")
        zd.screenshot(ARGS.screenshots, "about-link-hover", self.about.rect)
        width, height, xhot, yhot, argb = zd.x_cursor()
        self.assertEqual((width, height, xhot, yhot), (32, 32, 5, 0))
        for shown, expected in zip(argb, hand_cursor_pixels()):
            if expected is None:
                self.assertEqual(shown >> 24, 0)
            else:
                self.assertEqual(shown, expected)

        self.mouse.move(*outside)
        zd.wait_for(lambda: not any(map(is_blue, zd.pixels(self.link.rect))),
                    what="the link black again")
        self.assertNotEqual(zd.x_cursor()[2:4], (5, 0))

    def test_a_press_released_outside_opens_nothing_and_a_click_opens_the_page(self):
        opener = zd.ShellOpener(self.wine, ARGS.probe)
        try:
            self.mouse.move(*self.link.centre)
            self.mouse.down()
            self.mouse.move(self.link.rect[2] + 40, self.link.rect[3] + 20)
            self.assertNotEqual(zd.x_cursor()[2:4], (5, 0), "the arrow while dragged out")
            self.mouse.move(*self.link.centre)
            self.assertEqual(zd.x_cursor()[2:4], (5, 0), "the hand when back inside")
            self.mouse.move(self.link.rect[2] + 40, self.link.rect[3] + 20)
            self.mouse.up()
            time.sleep(2.0)
            self.assertEqual(opener.opened(), [])

            self.mouse.click(*self.link.centre)
            zd.wait_for(opener.opened, timeout=20, what="the shell to open the page")
            self.assertEqual(opener.opened(), [PRODUCT_PAGE])
        finally:
            opener.restore()


class CachesWindowTest(LauncherCase):
    def test_caches_opens_the_window_over_a_disabled_launcher(self):
        self.click(self.launcher, 1047)
        caches = self.probe.wait_window("Caches")
        self.assertFalse(self.probe.find("Zema").enabled)
        self.assertEqual(self.control(caches, 1050).cls, "SysListView32")
        zd.screenshot(ARGS.screenshots, "caches", caches.rect)
        self.click(caches, 2)
        self.probe.wait_gone("Caches")
        self.assertTrue(self.probe.find("Zema").enabled)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + REST, verbosity=2)
