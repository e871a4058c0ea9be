// The pages of Corvane.exe in headless Chromium: the element contract of the configuration
// page, its seven tabs, the toggle buttons' markup, and the password pages. Screenshots of each
// tab go to $CORVANE_SCREENSHOTS (default: build/screenshots); the Hide GUI tab's is also the
// README's picture, docs/configuration-page.png, so it shows the page as it is.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const resDir = path.join(root, 'app/res');
const shots = process.env.CORVANE_SCREENSHOTS || path.join(root, 'build/screenshots');

// The resource script, read as the resource compiler reads it: id -> file.
function resources() {
  const defines = {};
  for (const line of fs.readFileSync(path.join(resDir, 'resource.h'), 'utf8').split('\n')) {
    const m = line.match(/^#define\s+(\w+)\s+(\d+)/);
    if (m) defines[m[1]] = Number(m[2]);
  }
  const files = {};
  for (const line of fs.readFileSync(path.join(resDir, 'corvane.rc'), 'utf8').split('\n')) {
    const m = line.match(/^(\w+)\s+(HTML|SCR|IMG)\s+"([^"]+)"/);
    if (m) files[defines[m[1]] ?? Number(m[1])] = path.join(resDir, m[3]);
  }
  return files;
}

// Serves the pages with their res: references turned into addresses of this server.
let server;
let base;
const files = resources();
const types = { '.htm': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript', '.png': 'image/png' };
function startServer() {
  server = http.createServer((req, res) => {
    const id = Number(req.url.replace(/^\//, ''));
    const file = files[id];
    if (!file) { res.writeHead(404); res.end(); return; }
    let body = fs.readFileSync(file);
    if (file.endsWith('.htm')) {
      body = body.toString('utf8').replace(/res:\/(?:SCR|IMG)\/#(\d+)/g, '/$1');
    }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    res.end(body);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    base = `http://127.0.0.1:${server.address().port}`;
    resolve();
  }));
}

let browser;
before(async () => {
  await startServer();
  fs.mkdirSync(shots, { recursive: true });
  browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
});
after(async () => {
  await browser?.close();
  server?.close();
});

// The dialog's client area: 475 x 321 dialog units at 96 dots per inch.
async function open(id, width = 712, height = 522) {
  const page = await browser.newPage({ viewport: { width, height } });
  const problems = [];
  page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`failed: ${r.url()}`));
  page.on('response', (r) => { if (r.status() >= 400) problems.push(`${r.status()}: ${r.url()}`); });
  await page.goto(`${base}/${id}`, { waitUntil: 'load' });
  return { page, problems };
}

const TABS = [
  ['tabPage1', 'General'], ['tabPage3', 'Lumbrel'], ['tabPage4', 'Hide GUI'], ['tabPage5', 'Auto Logon'],
  ['tabpage7', 'Auto Restart'], ['tabpage8', 'Timers'], ['tabPage2', 'Policies'],
];
const checkbox = (ids) => ids.map((id) => [id, 'checkbox']);
const text = (ids) => ids.map((id) => [id, 'text']);
const button = (ids) => ids.map((id) => [id, 'button']);
const letters = [...'ABCDEFGHIJKLMNOPQRSTUVWXYZ'];
// Each tab's elements, in page order, with their kinds.
const CONTRACT = {
  tabPage1: [['currentversions', 'div'], ...button(['ButtonSetPassword', 'ButtonUserModeLogon', 'ButtonExitUserMode'])],
  tabPage3: [['ButtonEnableLumbrel', 'button'],
    ...checkbox(['GUIMenuBar', 'GUIAddressBar', 'GUIStatusBar', 'GUIToolBar', 'GUIFullScreen', 'BarsEveryWindow',
      'RefuseNewWindows', 'PolicyShow', 'PolicyMoveable']),
    ...text(['PolicyTitle', 'PolicyURL', 'PolicyAcceptButton', 'PolicyDeclineButton', 'PolicyText', 'PolicyHeight', 'PolicyWidth']),
    ...checkbox(['FilterShow', 'FilterMoveable']),
    ...text(['FilterTitle', 'FilterText', 'FilterButton', 'FilterHeight', 'FilterWidth']),
    ...checkbox(['FilterURLs', 'FilterOnlyHTTP', 'FilterFrames']), ...text(['FilterURL', 'FilterURLFile']), ['ButtonFilterFileBrowse', 'button'],
    ['FilterContent', 'checkbox'], ...text(['ContentURL', 'ContentFile']), ['ButtonContentFileBrowse', 'button'],
    ...button(['ButtonFilterFileEdit', 'ButtonContentFileEdit'])],
  tabPage4: [['ButtonEnableHideGUI', 'button'], ['ButtonRecommendedLockdown', 'button'], ...checkbox(['EnableOverrides',
    'HideTaskbarButtons', 'CloseTaskTray', 'CloseStartButton', 'HideDesktop', 'HideTaskbar', 'HideStartButton', 'HideTaskTray',
    'DisableWindowsKey', 'DisableApplicationsKey', 'DisableCtrlEsc', 'DisableShiftEnter', 'DisableTaskSwitching', 'DisableAltSpace',
    'DisableCtrlKey', 'DisableAltKey', 'DisableBrowserBackKey', 'DisableBrowserForwardKey', 'DisableBrowserRefreshKey',
    'DisableBrowserStopKey', 'DisableBrowserSearchKey', 'DisableBrowserFavoritesKey', 'DisableBrowserHomeKey',
    'DisableVolumeMuteKey', 'DisableVolumeDownKey', 'DisableVolumeUpKey', 'DisableMediaNextKey', 'DisableMediaPreviousKey',
    'DisableMediaStopKey', 'DisableMediaPlayPauseKey', 'DisableLaunchMailKey', 'DisableLaunchMediaKey', 'DisableLaunchApp1Key',
    'DisableLaunchApp2Key', 'DisableRightClick', 'DisableShiftLeftClick',
    'DisableHelpKey', 'DisableMenuKeys', 'DisableShiftF10', 'DisableFullScreenKey', 'DisablePrintScreenKey',
    'DisableMiddleClick', 'DisableCtrlClick', 'DisableAccessibilityKeys', 'DisableDevToolsKey',
    'DisableBrowserShortcuts', 'KeepUserModeRunning'])],
  tabPage5: [['ButtonEnableAutoLogon', 'button'], ['AutoLogonName', 'text'], ['AutoLogonPassword', 'password'],
    ['AutoLogonDomain', 'text'], ['ButtonRemoveAutoLogon', 'button']],
  tabpage7: [['ButtonAutoRestart', 'button'], ['AutoRestartFolder', 'text'], ['ButtonAutoRestartFolder', 'button'],
    ...text(['AutoRestartTime', 'AutoRestartTimeWait'])],
  tabpage8: [['ButtonActivityTimer', 'button'],
    ...text(['ActivityTime', 'ActivityDialogURL', 'ActivityDialogWarn1URL', 'ActivityDialogWarn2URL', 'ActivityTimeWarn1', 'ActivityTimeWarn2']),
    ['StartActivityOnOpen', 'checkbox'], ...text(['InactivityTime', 'InactivityDialogURL']), ['StartInactivityOnOpen', 'checkbox'],
    ['ShowTimerDialog', 'checkbox'], ...text(['TimerDialogLeft', 'TimerDialogTop', 'TimerDialogURL', 'TimerDialogHeight', 'TimerDialogWidth'])],
  tabPage2: [['ButtonEnablePolicies', 'button'], ...checkbox(['SpecifyDefaultButtons', 'NoToolbarCustomize', 'NoBandCustomize',
    'Btn_Back', 'Btn_Forward', 'Btn_Stop', 'Btn_Refresh', 'Btn_Home', 'Btn_Search', 'Btn_Favorites', 'Btn_History', 'Btn_Media',
    'Btn_Folders', 'Btn_Fullscreen', 'Btn_Tools', 'Btn_MailNews', 'Btn_Print', 'Btn_Size', 'Btn_Edit', 'Btn_Discussions', 'Btn_Cut',
    'Btn_Copy', 'Btn_Paste', 'Btn_Encoding', 'Btn_PrintPreview', 'NoWindowsUpdate', 'NoBrowserOptions', 'NoRun', 'NoPrinting',
    'AlwaysPromptWhenDownload', 'NoBrowserBars', 'NoBrowserClose', 'NoBrowserContextMenu', 'NoBrowserSaveAs', 'NoFavorites',
    'NoFileNew', 'NoFileOpen', 'NoFindFiles', 'NoNavButtons', 'NoOpeninNewWnd', 'NoSelectDownloadDir', 'NoTheaterMode',
    'NoViewSource', 'RestGoMenu', 'DisableDevTools', 'NoDesktop', ...letters.map((l) => `D${l}`),
    'DisableTaskMgr', 'DisableLockWorkstation', 'DisableChangePassword', 'NoLogoff', 'NoClose',
    'NoToastApplicationNotification', 'HideFastUserSwitching', 'DisableEdgeSwipe']),
    ...button(['ButtonRemoveExtensions', 'ButtonGroupPolicies', 'ButtonInternetOptions', 'ButtonRemoveRestrictions'])],
};

// The texts RenderToggleButtons writes.
const toggle = (id, label, cls, disabled) =>
  `<button ${cls ? `class="${cls}" ` : ''}style="width:200px" id="${id}"${disabled ? ' disabled="disabled"' : ''}>${label}</button>`;
const TOGGLES = [
  ['ButtonEnablePolicies', 'Policy Settings Enabled', 'Policy Settings Disabled'],
  ['ButtonEnableHideGUI', 'Hide GUI Enabled', 'Hide GUI Disabled'],
  ['ButtonEnableAutoLogon', 'Auto Logon Enabled', 'Auto Logon Disabled'],
  ['ButtonAutoRestart', 'Auto Restart Enabled', 'Auto Restart Disabled'],
  ['ButtonActivityTimer', 'Timers Enabled', 'Timers Disabled'],
  ['ButtonEnableLumbrel', 'Lumbrel Enabled', 'Lumbrel Disabled'],
  ['ButtonUserModeLogon', 'Disable User Mode on Logon', 'Enable User Mode on Logon'],
];

test('the configuration page keeps its element contract', async () => {
  const { page, problems } = await open(129);
  assert.equal(await page.title(), 'CORVANE');
  assert.equal(await page.locator('p.title').innerText(), 'Corvane version 1.0.0.5 (beta)');
  const pages = await page.$$eval('#tabPane1 > div.tab-page', (ds) => ds.map((d) => [d.id, d.querySelector('h2').textContent]));
  assert.deepEqual(pages, TABS);
  const tabRow = await page.$$eval('#tabPane1 .tab-row .tab', (ts) => ts.map((t) => t.textContent));
  assert.deepEqual(tabRow, TABS.map(([, title]) => title));
  for (const [tab, elements] of Object.entries(CONTRACT)) {
    const found = await page.$$eval(`#${tab} [id]`, (es) => es.map((e) => {
      const kind = e.tagName === 'INPUT' ? e.type : e.tagName.toLowerCase();
      return [e.id, kind];
    }));
    const wanted = elements.map(([id, kind]) => [id, kind]);
    assert.deepEqual(found.filter(([id]) => wanted.some(([w]) => w === id)), wanted, `elements of ${tab}`);
  }
  // Every id once, and the three buttons under the pane in a right-to-left paragraph.
  const ids = await page.$$eval('[id]', (es) => es.map((e) => e.id.toLowerCase()));
  assert.equal(new Set(ids).size, ids.length, 'duplicate element ids');
  assert.deepEqual(await page.$$eval('p.buttons button', (bs) => bs.map((b) => b.id)), ['ButtonOK', 'ButtonApply', 'ButtonCancel']);
  assert.equal(await page.$eval('p.buttons', (p) => getComputedStyle(p).direction), 'rtl');
  assert.equal(await page.$eval('#ButtonExitUserMode', (b) => b.disabled), true);
  assert.deepEqual(await page.$$eval('img', (is) => is.map((i) => [i.alt, i.naturalWidth > 0])),
    [['Windows XP', true], ['Windows Vista', true], ['Internet Explorer 7', true]]);
  assert.deepEqual(problems, []);
  await page.close();
});

test('the toggle buttons render as the dialog writes them', async () => {
  const { page } = await open(129);
  const green = 'rgb(192, 255, 192)';
  for (const [id, on, off] of TOGGLES) {
    for (const [html, label, color] of [[toggle(id, on, 'bt2'), on, green], [toggle(id, off, null), off, null]]) {
      await page.$eval(`#${id}`, (e, h) => { e.outerHTML = h; }, html);
      assert.equal(await page.$eval(`#${id}`, (e) => e.outerHTML), html);
      assert.equal(await page.$eval(`#${id}`, (e) => e.textContent), label);
      if (color) assert.equal(await page.$eval(`#${id}`, (e) => getComputedStyle(e).backgroundColor), color);
    }
  }
  await page.$eval('#ButtonSetPassword', (e, h) => { e.outerHTML = h; }, toggle('ButtonSetPassword', 'Set Corvane Password', 'bt1'));
  assert.equal(await page.$eval('#ButtonSetPassword', (e) => getComputedStyle(e).backgroundColor), 'rgb(255, 0, 0)');
  await page.$eval('#ButtonExitUserMode', (e, h) => { e.outerHTML = h; }, toggle('ButtonExitUserMode', 'Exit User Mode', null, true));
  assert.equal(await page.$eval('#ButtonExitUserMode', (e) => e.disabled), true);
  await page.$eval('#ButtonApply', (e) => { e.outerHTML = '<button style="width:100px" id="ButtonApply">Apply</button>'; });
  assert.equal(await page.$eval('#ButtonApply', (e) => e.textContent), 'Apply');
  await page.close();
});

test('the seven tabs show one page at a time', async () => {
  const { page } = await open(129);
  for (let i = 0; i < TABS.length; i++) {
    const [id, title] = TABS[i];
    await page.click(`#tab_${id}`);
    const shown = await page.$$eval('#tabPane1 > div.tab-page', (ds) => ds.filter((d) => getComputedStyle(d).display !== 'none').map((d) => d.id));
    assert.deepEqual(shown, [id], `after clicking ${title}`);
    assert.equal(await page.$eval(`#tab_${id}`, (t) => t.className), 'tab selected');
    await page.screenshot({ path: path.join(shots, `tab-${i + 1}-${title.toLowerCase().replace(/ /g, '-')}.png`) });
    if (title === 'Hide GUI') {
      // The README's picture of the page is this one, taken afresh at every run.
      await page.screenshot({ path: path.join(root, 'docs/configuration-page.png') });
    }
  }
  await page.close();
});

test('the password pages focus their input and keep to 50 characters', async () => {
  for (const [id, title, inputs] of [[107, 'Password:', ['password']], [109, 'Set Password:', ['password', 'verify']]]) {
    const { page, problems } = await open(id, 440, 200);
    assert.equal(await page.title(), title);
    assert.equal(await page.evaluate(() => document.activeElement && document.activeElement.id), 'password');
    for (const input of inputs) {
      assert.equal(await page.$eval(`#${input}`, (e) => [e.type, e.maxLength].join()), 'password,50');
    }
    assert.deepEqual(await page.$$eval('button', (bs) => bs.map((b) => b.id)), ['ButtonOK', 'ButtonCancel']);
    assert.deepEqual(problems, []);
    await page.screenshot({ path: path.join(shots, `password-${id}.png`) });
    await page.close();
  }
  const { page } = await open(104, 440, 200);
  assert.equal(await page.$eval('body', (b) => [b.id, b.innerText.trim()].join()), 'CCorvaneDlg,Loading Corvane...');
  await page.close();
});
