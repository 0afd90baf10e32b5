-- The snippet library as an add-in of this editor.
--   :Snippary            start it and connect (menu "Add-Ins > Snippary", toolbar menu "VB Velmora");
--                        its window shows at once
--   :SnipparyShow        show its window again (the same as :emenu Add-Ins.Snippary), starting it
--                        first when it is not running
--   :SnipparyDisconnect  disconnect it
-- The program is `snippary` on PATH, or vim.g.snippary_executable. With
-- `let g:snippary_autoconnect = 1` (or vim.g.snippary_autoconnect = true) it connects by itself
-- when the editor starts. vim.g.snippary_channel is the program's RPC channel while it is
-- connected, 0 otherwise; the program sets vim.g.snippary_window to 1 each time it shows its
-- window and to 0 when the window is closed.
if vim.g.loaded_snippary then return end
vim.g.loaded_snippary = true

local channel = nil
vim.g.snippary_channel = 0
vim.g.snippary_window = 0

local function running()
  return channel ~= nil and vim.fn.jobwait({ channel }, 0)[1] == -1
end

local function connect()
  if running() then return end
  local program = vim.g.snippary_executable or 'snippary'
  channel = vim.fn.jobstart({ program, '--nvim' }, {
    rpc = true,
    on_exit = function()
      channel = nil
      vim.g.snippary_channel = 0
      vim.g.snippary_window = 0
    end,
  })
  if channel <= 0 then
    channel = nil
    vim.notify('snippary: cannot start ' .. program, vim.log.levels.ERROR)
    return
  end
  vim.g.snippary_channel = channel
end

-- A running program is asked for its window; a new one shows it as it starts.
local function show()
  if running() then
    pcall(vim.rpcnotify, channel, 'snippary_show')
  else
    connect()
  end
end

-- The program removes its menus and leaves; one that does not answer is stopped.
local function disconnect()
  if not running() then return end
  local job = channel
  pcall(vim.rpcnotify, job, 'snippary_disconnect')
  if vim.fn.jobwait({ job }, 3000)[1] == -1 then vim.fn.jobstop(job) end
  channel = nil
  vim.g.snippary_channel = 0
end

vim.api.nvim_create_user_command('Snippary', connect, {})
vim.api.nvim_create_user_command('SnipparyShow', show, {})
vim.api.nvim_create_user_command('SnipparyDisconnect', disconnect, {})
-- Quitting the editor disconnects the add-in.
vim.api.nvim_create_autocmd('VimLeavePre', { callback = disconnect })

-- The program rewrites its add-in file entry at every start, so connecting at start is
-- this plugin's own setting.
local function connect_at_start()
  local wanted = vim.g.snippary_autoconnect
  if wanted == true or wanted == 1 then connect() end
end

if vim.v.vim_did_enter == 1 then
  connect_at_start()
else
  vim.api.nvim_create_autocmd('VimEnter', { callback = connect_at_start, once = true })
end
